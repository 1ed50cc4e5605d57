#include "tools/recoctl/ini_commands.h"

#include <memory>
#include <string>
#include <vector>

#include "ini/ini_file.h"
#include "tools/recoctl/host.h"

namespace {

constexpr int kListSize = 65536;

struct IniArgs {
  std::string file;
  std::string section;
  std::string key;
  std::string default_text;
  bool has_default = false;
  int size = MAX_PATH;
  bool show_result = false;
  int default_int = 0;
};

// Opens the file as the loaders do; false when it could not be opened.
bool OpenForReading(IniFile& ini, const std::string& host_path) {
  const WString path = SystemPathFromHost(host_path);
  return ini.IniOpen(path.c_str(), GENERIC_READ, 0) != 0;
}

int RunGet(const IniArgs& args) {
  IniFile ini;
  const bool opened = OpenForReading(ini, args.file);
  const WString section = Wide(args.section);
  const WString key = Wide(args.key);
  const WString default_text = Wide(args.default_text);
  // One unit more than the size the engine is told, so that the buffer is
  // terminated even for a size the engine refuses.
  std::vector<WCHAR> dest(static_cast<size_t>(args.size > 0 ? args.size : 0) + 1, 0);
  const int result =
      ini.IniGetString(section.c_str(), key.c_str(),
                       args.has_default ? default_text.c_str() : nullptr, dest.data(), args.size);
  std::string line;
  if (args.show_result) line = std::to_string(result) + "\t";
  line += Narrow(dest.data()) + "\n";
  PrintOut(line);
  return opened ? 0 : 1;
}

int RunInt(const IniArgs& args) {
  IniFile ini;
  const bool opened = OpenForReading(ini, args.file);
  const WString section = Wide(args.section);
  const WString key = Wide(args.key);
  PrintOut(std::to_string(ini.IniGetInt(section.c_str(), key.c_str(), args.default_int)) + "\n");
  return opened ? 0 : 1;
}

// Prints a list of zero-terminated names ended by one more zero.
int RunList(const IniArgs& args, bool keys) {
  IniFile ini;
  const bool opened = OpenForReading(ini, args.file);
  const WString section = Wide(args.section);
  std::vector<WCHAR> dest(kListSize + 1, 0);
  const int result =
      ini.IniGetString(keys ? section.c_str() : nullptr, nullptr, nullptr, dest.data(), kListSize);
  std::string out;
  for (int i = 0; result > 0 && i < result;) {
    const WCHAR* name = dest.data() + i;
    out += Narrow(name) + "\n";
    i += static_cast<int>(wcslen(name)) + 1;
  }
  PrintOut(out);
  return opened ? 0 : 1;
}

}  // namespace

void AddIniCommands(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<IniArgs>();
  CLI::App* ini = app.add_subcommand("ini", "What the system's INI reader finds in a file");
  ini->require_subcommand(1);

  CLI::App* get = ini->add_subcommand("get", "Print a value as the system reads it");
  get->add_option("FILE", args->file, "INI file (UTF-16)")->required();
  get->add_option("SECTION", args->section)->required();
  get->add_option("KEY", args->key)->required();
  get->add_option("--default", args->default_text, "Default text");
  get->add_option("--size", args->size, "Destination size in characters")->capture_default_str();
  get->add_flag("--result", args->show_result, "Print the engine's result and a tab first");
  get->callback([args, get, exit_code] {
    args->has_default = get->count("--default") > 0;
    *exit_code = RunGet(*args);
  });

  CLI::App* integer = ini->add_subcommand("int", "Print a value as an integer");
  integer->add_option("FILE", args->file)->required();
  integer->add_option("SECTION", args->section)->required();
  integer->add_option("KEY", args->key)->required();
  integer->add_option("--default", args->default_int, "Default integer")->capture_default_str();
  integer->callback([args, exit_code] { *exit_code = RunInt(*args); });

  CLI::App* sections = ini->add_subcommand("sections", "Print the section names, one a line");
  sections->add_option("FILE", args->file)->required();
  sections->callback([args, exit_code] { *exit_code = RunList(*args, false); });

  CLI::App* keys = ini->add_subcommand("keys", "Print the key names of a section, one a line");
  keys->add_option("FILE", args->file)->required();
  keys->add_option("SECTION", args->section)->required();
  keys->callback([args, exit_code] { *exit_code = RunList(*args, true); });
}
