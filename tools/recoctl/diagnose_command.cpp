#include "tools/recoctl/diagnose_command.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include <nlohmann/json.hpp>

#include "builder/loaders.h"
#include "builder/text_tables.h"
#include "ini/ini_file.h"
#include "paths/directories.h"
#include "paths/path_utils.h"
#include "settings/settings_file.h"
#include "settings/settings_replace.h"
#include "shared/preference_block.h"
#include "tools/recoctl/block_decoder.h"
#include "tools/recoctl/host.h"
#include "tools/recoctl/live_commands.h"
#include "tools/recoctl/live_sections.h"
#include "tools/recoctl/settings_commands.h"

namespace {

using Json = nlohmann::ordered_json;

struct DiagnoseArgs {
  std::string install_dir;
  std::string data_dir;
  bool json = false;
};

WString Join(const WString& dir, const WString& relative) {
  WCHAR path[MAX_PATH] = {};
  StringCchCopyW(path, MAX_PATH, dir.c_str());
  JoinPath(path, relative.c_str());
  return path;
}

// The host's name of a system path, for the C++ library.
std::filesystem::path HostPath(const WString& path) {
  std::string host = Narrow(path.c_str());
#if !defined(_WIN32)
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
#endif
  return std::filesystem::u8path(host);
}

Json Versions() {
  Json json;
  json["recoctl"] = RECO_VERSION;
#if defined(_WIN32)
  json["target"] = "Windows";
#else
  json["target"] = "native (POSIX)";
#endif
#if defined(__VERSION__)
  json["compiler"] = __VERSION__;
#endif
  json["block size"] = sizeof(PreferenceBlock);
  return json;
}

// Every file the builder reads under `install_dir`, relative to it: the
// folders come from the builder's own loaders of the two language tables.
std::vector<WString> BuilderFiles(const WString& install_dir) {
  auto block = std::make_unique<PreferenceBlock>();
  LoadMenuLanguages(&block->MenuLangTable, Join(install_dir, TEXT("Menu Lang")).c_str());
  LoadRecoLanguages(&block->RecoLangTable, install_dir.c_str());
  std::vector<WString> files = {TEXT("Menu Lang\\Config.ini")};
  const RecoLangTableRegion& reco = block->RecoLangTable;
  for (DWORD i = 0; i < reco.Count && i < kRecoLangSlots; ++i) {
    const WString folder = WString(TEXT("Reco Lang\\")) + reco.Entries[i].Folder + TEXT("\\");
    files.push_back(folder + TEXT("Config.ini"));
    files.push_back(folder + TEXT("Keyboard.ini"));
  }
  files.push_back(TEXT("Search\\Search.ini"));
  files.push_back(TEXT("Skin\\Skin.ini"));
  files.push_back(TEXT("Skin\\Config.ini"));
  const MenuLangTableRegion& menu = block->MenuLangTable;
  for (DWORD i = 0; i < menu.Count && i < kMaxMenuLangs; ++i) {
    const WString folder = WString(TEXT("Menu Lang\\")) + menu.Entries[i].DIR + TEXT("\\");
    std::vector<WString> names = {TEXT("Lang.ini"), TEXT("Keyboard.ini"), TEXT("Search.ini")};
    for (const TextTable* table : kTextTables) {
      if (std::find(names.begin(), names.end(), table->File) == names.end()) {
        names.push_back(table->File);
      }
    }
    for (const WString& name : names) files.push_back(folder + name);
  }
  return files;
}

Json CheckFile(const WString& install_dir, const WString& relative,
               std::vector<Problem>* problems) {
  const WString path = Join(install_dir, relative);
  const std::string name = Narrow(relative.c_str());
  Json json;
  json["file"] = name;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    json["present"] = false;
    problems->push_back({"missing installation file " + name,
                         "reinstall the input method, or copy " + name +
                             " from a good installation: until then its values take defaults"});
    return json;
  }
  const DWORD size = GetFileSize(file, nullptr);
  BYTE bom[2] = {};
  DWORD read = 0;
  ReadFile(file, bom, sizeof(bom), &read, nullptr);
  CloseHandle(file);
  const bool has_bom = read == 2 && bom[0] == 0xFF && bom[1] == 0xFE;
  const bool even = size % 2 == 0;
  json["present"] = true;
  json["size"] = size;
  json["byte-order mark"] = has_bom;
  json["even size"] = even;
  IniFile ini;
  Json sections = Json::array();
  if (ini.IniOpen(path.c_str(), GENERIC_READ, 0)) {
    std::vector<WCHAR> list(static_cast<size_t>(size) + 2, 0);
    ini.IniGetString(nullptr, nullptr, nullptr, list.data(), static_cast<int>(list.size()));
    for (const WCHAR* s = list.data(); *s != 0; s += wcslen(s) + 1) sections.push_back(Narrow(s));
  }
  json["sections"] = sections;
  if (!has_bom || !even) {
    problems->push_back(
        {name + " is not valid UTF-16 (" + std::to_string(size) + " bytes" +
             (even ? "" : ", an odd size") + (has_bom ? "" : ", no byte-order mark") +
             "): the builder reads nothing from it",
         "save " + name + " as UTF-16 little-endian with a byte-order mark, or reinstall it"});
  } else if (sections.empty()) {
    problems->push_back({name + " holds no section", "reinstall " + name});
  }
  return json;
}

Json Installation(const std::string& given, std::vector<Problem>* problems, WString* dir) {
  Json json;
  WCHAR found[MAX_PATH] = {};
  if (!given.empty()) {
    *dir = SystemPathFromHost(given);
    json["found by"] = "the command line";
  } else {
    ReadInstallDirValue(found);
    json["found by"] = found[0] != 0 ? "the registry value \"Path\"" : "the program's folder";
    ResolveInstallDir(found, FALSE);
    *dir = found;
  }
  json["directory"] = Narrow(dir->c_str());
  const DWORD attributes = GetFileAttributesW(dir->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    problems->push_back({"the installation directory " + Narrow(dir->c_str()) + " does not exist",
                         "reinstall the input method, or set the registry value \"Path\""});
  }
  Json files = Json::array();
  for (const WString& file : BuilderFiles(*dir)) files.push_back(CheckFile(*dir, file, problems));
  json["files"] = files;
  return json;
}

Json DataDirectory(const std::string& given, const WString& install_dir,
                   std::vector<Problem>* problems, WString* dir) {
  Json json;
  if (!given.empty()) {
    *dir = SystemPathFromHost(given);
    json["found by"] = "the command line";
  } else {
    WCHAR base[MAX_PATH] = {};
    const bool shell = ShellFolderPath(base) > 0;
    if (!shell) StringCchCopyW(base, MAX_PATH, install_dir.c_str());
    json["found by"] = shell ? "the shell's data folder" : "the installation directory";
    *dir = Join(base, kDataSubfolder);
  }
  const std::string name = Narrow(dir->c_str());
  json["directory"] = name;
  const DWORD attributes = GetFileAttributesW(dir->c_str());
  const bool exists =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  json["exists"] = exists;
  // A probe file tells what the write-back will meet; the folder itself is
  // made by the program at its first start.
  bool writable = false;
  if (exists) {
    const WString probe = Join(*dir, TEXT("recoctl-diagnose.tmp"));
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    writable = file != INVALID_HANDLE_VALUE;
    if (writable) {
      CloseHandle(file);
      DeleteFileW(probe.c_str());
    }
    std::error_code error;
    const std::filesystem::space_info space = std::filesystem::space(HostPath(*dir), error);
    if (!error) json["free bytes"] = space.available;
  } else if (attributes != INVALID_FILE_ATTRIBUTES) {
    problems->push_back({"the data directory " + name + " cannot be written: a file has its name",
                         "move that file away: the settings can be neither read nor saved"});
  }
  json["writable"] = writable;
  if (exists && !writable) {
    problems->push_back({"the data directory " + name + " cannot be written",
                         "make it writable: until then no confirmed change is saved at exit"});
  }
  return json;
}

Json SettingsFile(const WString& data_dir, std::vector<Problem>* problems,
                  std::unique_ptr<PreferenceBlock>* block) {
  LoadedSettings loaded = LoadSettings(Join(data_dir, kSettingsFileName));
  Json json;
  json["file"] = Narrow(loaded.path.c_str());
  json["state"] = loaded.state == kSettingsFileRead      ? "read"
                  : loaded.state == kSettingsFileMissing ? "missing (a first start)"
                  : loaded.state == kSettingsFileHeld    ? "held by another program"
                                                         : "unreadable";
  // A write-back that found the settings file held by another program left
  // its complete new file beside it; the next start puts it in place.
  SettingsFiles files;
  const LPCWSTR current =
      MakeSettingsFiles(loaded.path.c_str(), &files) ? CurrentSettingsFile(files) : nullptr;
  if (current != nullptr && WString(current) != loaded.path) {
    json["pending"] = Narrow(current);
    problems->push_back(
        {"newer settings wait in " + Narrow(current) +
             ": another program held the settings file when they were saved",
         "close the program that holds it; the next start of the settings page puts them in "
         "place (until then they are what the page reads)"});
  }
  if (loaded.state == kSettingsFileHeld) {
    problems->push_back({"the settings file is held by another program and cannot be read",
                         "close that program; until then a start keeps the file's settings and "
                         "saves only what is confirmed"});
  }
  if (loaded.state == kSettingsFileUnreadable) {
    problems->push_back({"the settings file cannot be read (an odd size, or a folder of its name)",
                         "remove it; the next start writes a new one with the defaults"});
  }
  for (int i = 0; i < kSettingsRecordCount; ++i) {
    const RecordStatus& status = loaded.statuses[i];
    const std::string key = Narrow(kSettingsRecords[i].key);
    json["records"][key] = RecordStatusText(status, kSettingsRecords[i].count);
    // The write-back never stores "NumRange", and a missing file is a first start.
    const bool expected = status.result == kRecordAccepted || status.result == kRecordNoFile ||
                          (status.result == kRecordMissing && i == kNumRangeRecord);
    if (!expected) {
      problems->push_back(
          {"settings key \"" + key + "\" is " + json["records"][key].get<std::string>(),
           "the program uses its defaults; run \"recoctl settings reset " + key +
               "\" or set its fields again"});
    }
  }
  *block = std::move(loaded.block);
  return json;
}

int RunDiagnose(const DiagnoseArgs& args) {
  std::vector<Problem> problems;
  Json report;
  report["versions"] = Versions();
  WString install_dir;
  WString data_dir;
  report["installation"] = Installation(args.install_dir, &problems, &install_dir);
  report["data"] = DataDirectory(args.data_dir, install_dir, &problems, &data_dir);
  std::unique_ptr<PreferenceBlock> block;
  report["settings"] = SettingsFile(data_dir, &problems, &block);
  // A running device shows what its section holds, not what the file holds.
  std::unique_ptr<PreferenceBlock> live = CopyLivePreferences();
  PreferenceBlock& shown = live != nullptr ? *live : *block;
  const auto reco_lang = static_cast<WORD>(shown.Header.RecoLangId & 0xFFFF);
  const WORD page_lang =
      reco_lang == kLangSimplifiedChinese ? kLangSimplifiedChinese : kLangEnglish;
  const LanguageEntry* entry = FindLanguageEntry(&shown, page_lang);
  const std::string font = entry != nullptr ? NarrowField(entry->FontName) : "";
  Json page;
  page["user's default language"] = GetUserDefaultLangID();
  page["values from"] = live != nullptr ? "the live preference section" : "the settings file";
  page["RecoLangId"] = shown.Header.RecoLangId;
  page["page"] = page_lang == kLangSimplifiedChinese ? "Chinese page (template 325)"
                                                     : "Latin page (template 400)";
  page["FontName"] = font;
  if (entry == nullptr) {
    problems.push_back(
        {"no language entry has LangId " + std::to_string(page_lang) + ": the page opens empty",
         "run \"recoctl settings reset\" and restart the input method"});
  }
  report["page"] = page;
  report["sections and windows"] = DiagnoseLive(live != nullptr, font, &problems);

  Json listed = Json::array();
  for (const Problem& problem : problems) {
    listed.push_back({{"problem", problem.what}, {"what to do", problem.todo}});
  }
  Json out;
  out["problems"] = listed;
  out.update(report);
  if (args.json) {
    PrintOut(out.dump(2, ' ', false, Json::error_handler_t::replace) + "\n");
  } else {
    std::string text = problems.empty() ? "No problem found.\n"
                                        : std::to_string(problems.size()) + " problem(s):\n";
    for (const Problem& problem : problems) {
      text += "- " + problem.what + "\n  what to do: " + problem.todo + "\n";
    }
    PrintOut(text + "\n" + JsonAsText(report));
  }
  return problems.empty() ? 0 : 1;
}

}  // namespace

void AddDiagnoseCommand(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<DiagnoseArgs>();
  CLI::App* diagnose = app.add_subcommand(
      "diagnose",
      "One report to read or attach: problems first with what to do, then the versions, "
      "directories, installation files, settings file, sections, windows and fonts");
  diagnose->footer("Example: recoctl diagnose > report.txt; recoctl diagnose --json");
  diagnose->add_option("--install", args->install_dir,
                       "Installation directory (default: the one the tool resolves)");
  diagnose->add_option("--data", args->data_dir,
                       "Data directory (default: the one the tool resolves)");
  diagnose->add_flag("--json", args->json, "Print JSON");
  diagnose->callback([args, exit_code] { *exit_code = RunDiagnose(*args); });
}
