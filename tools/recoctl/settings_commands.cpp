#include "tools/recoctl/settings_commands.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "paths/directories.h"
#include "paths/path_utils.h"
#include "settings/settings_defaults.h"
#include "settings/settings_replace.h"
#include "tools/recoctl/block_decoder.h"
#include "tools/recoctl/live_commands.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr int kExitDone = 0;
constexpr int kExitNotWritten = 1;
constexpr int kExitBadInput = 2;

struct SettingsArgs {
  std::vector<std::string> args;
  bool json = false;
  bool live = false;
};

std::string RecordKey(int record) { return Narrow(kSettingsRecords[record].key); }

int FindRecord(const std::string& key) {
  for (int i = 0; i < kSettingsRecordCount; ++i) {
    if (RecordKey(i) == key) return i;
  }
  return -1;
}

const SettingsField* FindField(int record, const std::string& name) {
  const SettingsFields fields = FieldsOfRecord(record);
  for (size_t i = 0; i < fields.count; ++i) {
    if (name == fields.fields[i].name) return &fields.fields[i];
  }
  return nullptr;
}

BYTE* RecordOf(int record, PreferenceBlock* block) {
  return reinterpret_cast<BYTE*>(block) + kSettingsRecords[record].offset;
}

// "Record" or "Record.Field": the record's index and the field (null for a
// whole record); false when the table names neither.
bool ParseName(const std::string& name, int* record, const SettingsField** field) {
  const size_t dot = name.find('.');
  *record = FindRecord(name.substr(0, dot));
  *field = nullptr;
  if (*record < 0) return false;
  if (dot == std::string::npos) return true;
  *field = FindField(*record, name.substr(dot + 1));
  return *field != nullptr;
}

bool IsName(const std::string& text) {
  int record = 0;
  const SettingsField* field = nullptr;
  return ParseName(text, &record, &field);
}

// The settings file named by the first argument when it is not one the
// command takes as something else; the data directory's otherwise.
WString TakeFile(std::vector<std::string>* args, bool first_is_file) {
  if (first_is_file && !args->empty()) {
    WString path = SystemPathFromHost(args->front());
    args->erase(args->begin());
    return path;
  }
  return DefaultSettingsPath();
}

std::string StateText(int state) {
  switch (state) {
    case kSettingsFileRead:
      return "read";
    case kSettingsFileMissing:
      return "missing: every record takes its defaults";
    case kSettingsFileHeld:
      return "held by another program: shown with the defaults, which are never written over it";
    default:
      return "unreadable (a folder of that name, or an odd size): every record takes its defaults";
  }
}

Json RecordsJson(const LoadedSettings& loaded, bool with_status) {
  Json records = Json::object();
  for (int i = 0; i < kSettingsRecordCount; ++i) {
    Json record;
    if (with_status) {
      record["accepted"] = loaded.statuses[i].result == kRecordAccepted;
      record["status"] = RecordStatusText(loaded.statuses[i], kSettingsRecords[i].count);
    }
    record["fields"] = RecordFieldsJson(i, *loaded.block);
    records[RecordKey(i)] = record;
  }
  return records;
}

std::string ShowText(const LoadedSettings& loaded, bool with_status) {
  std::string out;
  if (with_status)
    out = "file: " + Narrow(loaded.path.c_str()) + " (" + StateText(loaded.state) + ")\n";
  const auto* block = reinterpret_cast<const BYTE*>(loaded.block.get());
  for (int i = 0; i < kSettingsRecordCount; ++i) {
    const RecordStatus& status = loaded.statuses[i];
    out += "[" + RecordKey(i) + "]";
    if (with_status) {
      out += " " + RecordStatusText(status, kSettingsRecords[i].count);
      if (status.result != kRecordAccepted) out += "; the load gives these defaults";
    }
    out += "\n";
    const SettingsFields fields = FieldsOfRecord(i);
    for (size_t f = 0; f < fields.count; ++f) {
      out += "  " + RecordKey(i) + "." + fields.fields[f].name + " = " +
             FieldValueText(fields.fields[f], block + kSettingsRecords[i].offset) + "\n";
    }
  }
  return out;
}

int RunShow(SettingsArgs args) {
  if (args.live) {
    if (!args.args.empty()) {
      PrintErr("recoctl: settings show --live takes no FILE\n");
      return kExitBadInput;
    }
    return RunLiveSettings(
        [&](PreferenceBlock* block) {
          LoadedSettings live;
          live.block = std::make_unique<PreferenceBlock>(*block);
          PrintOut(args.json ? RecordsJson(live, false).dump(2) + "\n" : ShowText(live, false));
          return true;
        },
        false);
  }
  if (args.args.size() > 1) {
    PrintErr("recoctl: settings show takes at most one FILE\n");
    return kExitBadInput;
  }
  const LoadedSettings loaded = LoadSettings(TakeFile(&args.args, true));
  if (args.json) {
    Json json;
    json["file"] = Narrow(loaded.path.c_str());
    json["state"] = StateText(loaded.state);
    json["records"] = RecordsJson(loaded, true);
    PrintOut(json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n");
  } else {
    PrintOut(ShowText(loaded, true));
  }
  return kExitDone;
}

// Replaces the file with `loaded`'s block through the write-back's atomic
// replace; notes the damaged records, which are written with the defaults
// the load gave them.
int Write(const LoadedSettings& loaded, bool with_num_range) {
  if (loaded.state == kSettingsFileHeld) {
    PrintErr("recoctl: " + Narrow(loaded.path.c_str()) +
             " is held by another program and could not be read; nothing was written\n");
    return kExitNotWritten;
  }
  for (int i = 0; i < kSettingsRecordCount; ++i) {
    const RecordResult result = loaded.statuses[i].result;
    const bool damaged =
        result == kRecordWrongLength || result == kRecordBadDigit || result == kRecordBadChecksum;
    if (damaged && (i != kNumRangeRecord || with_num_range)) {
      PrintErr("recoctl: note: " + RecordKey(i) + " was rejected (" +
               RecordStatusText(loaded.statuses[i], kSettingsRecords[i].count) +
               "); it is written with its defaults\n");
    }
  }
  const DWORD records = kWriteBackRecords | (with_num_range ? RecordBit(kNumRangeRecord) : 0);
  const int written =
      WriteSettingsFile(loaded.path.c_str(), loaded.block.get(), records, kWriteBackWaitMs);
  if (written == 0) {
    PrintErr("recoctl: could not write " + Narrow(loaded.path.c_str()) + " (error " +
             std::to_string(GetLastError()) + "); the file is as it was\n");
    return kExitNotWritten;
  }
  if (written == kSettingsPending) {
    PrintOut("wrote the new settings beside " + Narrow(loaded.path.c_str()) +
             ", which another program holds; the next start puts them in its place\n");
    return kExitDone;
  }
  PrintOut("wrote " + Narrow(loaded.path.c_str()) + "\n");
  return kExitDone;
}

// Applies every assignment to `block`; false at the first that does not fit,
// after saying why.
bool ApplyAll(const std::vector<std::string>& assignments, PreferenceBlock* block,
              bool* num_range) {
  for (const std::string& assignment : assignments) {
    int record = 0;
    std::string error;
    if (!ApplyAssignment(assignment, block, &record, &error)) {
      PrintErr("recoctl: " + error + "; nothing was written\n");
      return false;
    }
    if (record == kNumRangeRecord) *num_range = true;
  }
  return true;
}

int RunSet(SettingsArgs args) {
  const bool has_file = !args.args.empty() && args.args.front().find('=') == std::string::npos;
  if (args.live && has_file) {
    PrintErr("recoctl: settings set --live takes no FILE\n");
    return kExitBadInput;
  }
  const WString path = args.live ? WString() : TakeFile(&args.args, has_file);
  if (args.args.empty()) {
    PrintErr("recoctl: settings set needs NAME=VALUE\n");
    return kExitBadInput;
  }
  // Every assignment is checked on a copy first, so bad input never
  // reaches the file or the live block.
  LoadedSettings loaded = LoadSettings(path);
  bool num_range = false;
  if (!ApplyAll(args.args, loaded.block.get(), &num_range)) return kExitBadInput;
  if (args.live) {
    return RunLiveSettings(
        [&](PreferenceBlock* block) {
          bool unused = false;
          return ApplyAll(args.args, block, &unused);
        },
        true);
  }
  return Write(loaded, num_range);
}

int RunReset(SettingsArgs args) {
  const bool has_file = !args.args.empty() && !IsName(args.args.front());
  LoadedSettings loaded = LoadSettings(TakeFile(&args.args, has_file));
  std::vector<std::string> keys = args.args;
  if (keys.empty()) {
    for (int i = 0; i < kSettingsRecordCount; ++i) keys.push_back(RecordKey(i));
  }
  bool num_range = false;
  for (const std::string& key : keys) {
    int record = 0;
    const SettingsField* field = nullptr;
    if (!ParseName(key, &record, &field)) {
      PrintErr("recoctl: no record or field is called \"" + key + "\"; nothing was written\n");
      return kExitBadInput;
    }
    // A field takes what its record's defaults give it, every other byte
    // of the record stays.
    PreferenceBlock defaults = *loaded.block;
    SetRecordDefaults(record, &defaults);
    const size_t offset = field != nullptr ? field->offset : 0;
    const size_t size = field != nullptr ? field->size : kSettingsRecords[record].count;
    std::memcpy(RecordOf(record, loaded.block.get()) + offset, RecordOf(record, &defaults) + offset,
                size);
    // A file without "NumRange" already loads its default.
    const RecordResult result = loaded.statuses[kNumRangeRecord].result;
    if (record == kNumRangeRecord && result != kRecordMissing && result != kRecordNoFile) {
      num_range = true;
    }
  }
  return Write(loaded, num_range);
}

int RunExport(SettingsArgs args) {
  if (args.args.size() > 1) {
    PrintErr("recoctl: settings export takes at most one FILE\n");
    return kExitBadInput;
  }
  const LoadedSettings loaded = LoadSettings(TakeFile(&args.args, true));
  Json json = Json::object();
  for (int i = 0; i < kSettingsRecordCount; ++i) {
    // A file without "NumRange" exports none, so that an import writes none.
    const RecordResult result = loaded.statuses[i].result;
    if (i == kNumRangeRecord && (result == kRecordMissing || result == kRecordNoFile)) continue;
    json[RecordKey(i)] = RecordFieldsJson(i, *loaded.block);
  }
  PrintOut(json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n");
  return kExitDone;
}

int RunImport(SettingsArgs args) {
  if (args.args.empty() || args.args.size() > 2) {
    PrintErr("recoctl: settings import takes [FILE] JSON_FILE\n");
    return kExitBadInput;
  }
  const std::string json_file = args.args.back();
  args.args.pop_back();
  LoadedSettings loaded = LoadSettings(TakeFile(&args.args, true));
  std::ifstream in(std::filesystem::u8path(json_file), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const Json json = Json::parse(text, nullptr, false);
  if (!in || json.is_discarded() || !json.is_object()) {
    PrintErr("recoctl: " + json_file + " is not a JSON object; nothing was written\n");
    return kExitBadInput;
  }
  std::vector<std::string> assignments;
  for (const auto& record : json.items()) {
    if (!record.value().is_object()) {
      PrintErr("recoctl: " + record.key() + " is not an object of fields; nothing was written\n");
      return kExitBadInput;
    }
    for (const auto& field : record.value().items()) {
      const Json& value = field.value();
      if (!value.is_string() && !value.is_number_integer()) {
        PrintErr("recoctl: " + record.key() + "." + field.key() +
                 " is neither a text nor a whole number; nothing was written\n");
        return kExitBadInput;
      }
      assignments.push_back(record.key() + "." + field.key() + "=" +
                            (value.is_string() ? value.get<std::string>() : value.dump()));
    }
  }
  bool num_range = false;
  if (!ApplyAll(assignments, loaded.block.get(), &num_range)) return kExitBadInput;
  return Write(loaded, num_range);
}

// The fields of every record, from the decoder's table, for the help text.
std::string FieldList() {
  std::string out = "\nFields (NAME is Record.Field):\n";
  for (int i = 0; i < kSettingsRecordCount; ++i) {
    if (i == 2) continue;  // the Latin entry has the fields of the Chinese one
    const SettingsFields fields = FieldsOfRecord(i);
    out += "  " + RecordKey(i) + (i == 1 ? " and LatinRange" : "") + ":\n";
    for (size_t f = 0; f < fields.count; ++f) {
      const SettingsField& field = fields.fields[f];
      const std::string fixed = FieldDefaultText(i, field);
      out += "    " + std::string(field.name) + " (offset " + std::to_string(field.offset) + ", " +
             std::to_string(field.size) + " bytes): " + field.help +
             (fixed.empty() ? "" : ", default " + fixed) + "\n";
    }
  }
  return out;
}

}  // namespace

WString DefaultSettingsPath() {
  ResolveDataDir();
  WCHAR path[MAX_PATH] = {};
  StringCchCopyW(path, MAX_PATH, DataDir);
  JoinPath(path, kSettingsFileName);
  // As the load does, so that a first write can create the file.
  CreateDirectoryTree(path);
  return path;
}

LoadedSettings LoadSettings(const WString& path) {
  LoadedSettings loaded;
  loaded.path = path;
  loaded.block = std::make_unique<PreferenceBlock>();
  loaded.state = LoadSettingsFile(path.c_str(), loaded.block.get(), loaded.statuses, kLoadWaitMs);
  return loaded;
}

std::string RecordStatusText(const RecordStatus& status, DWORD count) {
  const std::string wanted = std::to_string(2 * count + 2);
  switch (status.result) {
    case kRecordAccepted:
      return "accepted";
    case kRecordNoFile:
      return "rejected: no file to read";
    case kRecordMissing:
      return "rejected: missing";
    case kRecordWrongLength:
      return "rejected: wrong length (" + std::to_string(status.length) + " characters, not " +
             wanted + ")";
    case kRecordBadDigit:
      return "rejected: bad digit at position " + std::to_string(status.position);
    case kRecordBadChecksum:
      return "rejected: checksum expected " + Hex(status.expected) + " got " + Hex(status.got);
    default:
      return "rejected: no memory";
  }
}

bool ApplyAssignment(const std::string& assignment, PreferenceBlock* block, int* record,
                     std::string* error) {
  const size_t equals = assignment.find('=');
  if (equals == std::string::npos) {
    *error = "\"" + assignment + "\" is not NAME=VALUE";
    return false;
  }
  const std::string name = assignment.substr(0, equals);
  const SettingsField* field = nullptr;
  if (!ParseName(name, record, &field) || field == nullptr) {
    *error = "no field is called \"" + name + "\" (recoctl settings --help lists them)";
    return false;
  }
  std::string why;
  if (!SetFieldValue(*field, assignment.substr(equals + 1), RecordOf(*record, block), &why)) {
    *error = name + " " + why;
    return false;
  }
  return true;
}

void AddSettingsCommands(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<SettingsArgs>();
  CLI::App* settings = app.add_subcommand(
      "settings", "Read and change Config\\Settings.ini by field name, as the tool loads it");
  settings->require_subcommand(1);
  settings->footer(
      "Examples:\n"
      "  recoctl settings show --json\n"
      "  recoctl settings set SCRange.RecoRange=0x701 SCRange.Charset=4098 "
      "LatinRange.FontName=Tahoma\n"
      "  recoctl settings set --live LatinRange.PhraseMode=4\n"
      "  recoctl settings reset SCRange.FontName\n"
      "  recoctl settings export > settings.json; recoctl settings import settings.json\n" +
      FieldList());
  const auto add = [&](const char* name, const char* help, const char* example, auto run) {
    CLI::App* command = settings->add_subcommand(name, help);
    command->footer(std::string("Example: ") + example);
    command->add_option("ARGS", args->args, "[FILE] then the command's own arguments");
    command->callback([args, exit_code, run] { *exit_code = run(*args); });
    return command;
  };
  CLI::App* show = add("show",
                       "Each record accepted or rejected and why, then every field (the "
                       "defaults a rejected record gets)",
                       "recoctl settings show /tmp/Settings.ini --json", RunShow);
  show->add_flag("--json", args->json, "Print JSON");
  show->add_flag("--live", args->live, "Read the preference section a running process holds");
  CLI::App* set = add("set", "Set fields: [FILE] NAME=VALUE...",
                      "recoctl settings set SCRange.Charset=4098 Extend.ExtendSize=20", RunSet);
  set->add_flag("--live", args->live,
                "Change the preference section a running process holds and notify the server");
  add("reset", "Write the defaults the load would give: [FILE] [KEY...] (all records by default)",
      "recoctl settings reset LatinRange", RunReset);
  add("export", "Print every record's fields as JSON: [FILE]",
      "recoctl settings export > settings.json", RunExport);
  add("import", "Set every field a JSON export names: [FILE] JSON_FILE",
      "recoctl settings import settings.json", RunImport);
}
