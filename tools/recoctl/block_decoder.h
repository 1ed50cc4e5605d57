// The readable decoding of a PreferenceBlock that "show" prints, for a block
// saved to a file and for the live section alike.
#ifndef RECO_TOOLS_RECOCTL_BLOCK_DECODER_H_
#define RECO_TOOLS_RECOCTL_BLOCK_DECODER_H_

#include <cstddef>
#include <string>

#include <nlohmann/json.hpp>

#include "shared/preference_block.h"

// One field of a record of the settings file: the names "show", "settings",
// "diagnose" and their help use, with the bytes each one covers. The fields
// of a record cover every one of its bytes, in order.
enum class FieldKind {
  kWord,        // u32, shown in decimal
  kHexWord,     // u32, shown as 0x...
  kSignedWord,  // i32
  kText,        // UTF-16 units with a terminator inside the field
  kBytes,       // raw bytes, as hexadecimal digits
};
struct SettingsField {
  const char* name;
  size_t offset;  // in the record
  size_t size;    // bytes
  FieldKind kind;
  DWORD max;  // the largest value a word may be set to
  const char* help;
};
struct SettingsFields {
  const SettingsField* fields;
  size_t count;
};
// The fields of each record of kSettingsRecords (the two entries share theirs).
SettingsFields FieldsOfRecord(int record);

// The value of one field read from the record's bytes, as "set" accepts it
// back: a word in decimal (0x... for kHexWord), a text in UTF-8, bytes as
// upper-case hexadecimal digits.
std::string FieldValueText(const SettingsField& field, const BYTE* record);
// The value the load gives the field when it is a fixed number (the header
// words but the languages, "NumRange", "Extend"), as FieldValueText writes
// it; "" for the fields whose defaults depend on the device or the entry.
std::string FieldDefaultText(int record, const SettingsField& field);
// JSON as indented "name: value" lines, lists of scalars on one line.
std::string JsonAsText(const nlohmann::ordered_json& value);

// Every field of record `record` of kSettingsRecords in `block`, by name:
// words as numbers (kHexWord as a "0x..." text), texts and bytes as text.
nlohmann::ordered_json RecordFieldsJson(int record, const PreferenceBlock& block);
// Stores `value` (in the same forms; a word also in the other base) into
// the record's bytes. False, with `error` saying why and the record
// untouched, when it does not fit the field.
bool SetFieldValue(const SettingsField& field, const std::string& value, BYTE* record,
                   std::string* error);

// Indented "name: value" text, or JSON when `json` is set. Counts and texts
// are read from the block as found: a count past its table's room shows
// only the records that fit, a text without its terminator stops at the
// end of its field.
std::string DescribePreferenceBlock(const PreferenceBlock& block, bool json);

#endif  // RECO_TOOLS_RECOCTL_BLOCK_DECODER_H_
