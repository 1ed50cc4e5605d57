// IniFile: the system's own reader and writer of UTF-16 INI files, working in
// place on a memory-mapped file.
//
// Format (as read): UTF-16LE, optional byte-order mark U+FEFF; the text ends
// at the first U+0000 or the end of the file. Lines end at LF (a CR right
// before it belongs to the line end). ";" or "#" in the first column starts a
// comment line. "[name]" in the first column starts a section (names compare
// ASCII-case-insensitively, anything may follow the "]"). A key line is
// "key = value"; the value is trimmed of spaces and tabs and loses one
// enclosing pair of double quotes. Byte records are stored as two upper-case
// hexadecimal digits per byte followed by the two digits of their sum
// modulo 256.
//
// An IniFile lives on the stack of the one operation that uses it and is
// closed at the end of it (the destructor closes it too). It is not safe to
// share between threads.
#ifndef RECO_INI_INI_FILE_H_
#define RECO_INI_INI_FILE_H_

#include "platform/platform.h"

// Results of IniGetString other than a count of characters.
constexpr int kIniNoFile = -1;          // no file is open; the default is in the destination
constexpr int kIniBadDestination = -2;  // no destination, or a size below 1
constexpr int kIniDefaultTooLong = -3;  // the default does not fit the destination

// The room every writer of the system asks for.
constexpr DWORD kIniWriteRoom = 65536;

// ParseHexByte: 1 when both characters are hexadecimal digits of either case;
// *byte is then 16 * first + second. 0 otherwise, *byte of no use.
int ParseHexByte(const WCHAR* two_chars, BYTE* byte);

class IniFile {
 public:
  IniFile() = default;
  ~IniFile() { IniClose(); }
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

  // ---- Opening and closing ----

  // Opens `path` for reading (GENERIC_READ: shared with other readers) or
  // writing (GENERIC_WRITE: exclusive, always starting from an empty file,
  // with `room` bytes of capacity for the text, reserved on the disk before
  // the file is mapped). Closes whatever was open first. Returns 1, or 0 with
  // the object closed and GetLastError() telling why: among others
  // ERROR_FILE_INVALID for a file of odd size, ERROR_DISK_FULL when the room
  // cannot be had.
  int IniOpen(LPCWSTR path, DWORD access, DWORD room);

  // Opens `size` bytes at `bytes` as IniOpen opens a file holding them, for
  // reading or for writing within max(size, room) bytes at `bytes` (a writer
  // starts from an empty file, so `size` is then 0). The bytes stay the
  // caller's and must outlive the opening; IniClose only lets go of them.
  // Returns 1, or 0 with ERROR_FILE_INVALID for an odd size or a writer
  // without room (as a mapping of no size fails). The system always opens
  // files; this is the same engine without the file, for checking it on
  // exactly sized memory.
  int IniOpenMemory(BYTE* bytes, DWORD size, DWORD access, DWORD room);

  // Releases the view and the mapping, then, for a file opened for writing,
  // cuts it to exactly its byte-order mark and text and flushes it to the
  // disk; closes the file. Returns nonzero when every step succeeded (for a
  // writer: the text is on the disk with exactly its length); 0 when one
  // failed or nothing was open.
  BOOL IniClose();

  // ---- Reading ----

  // With a section and a key: the value into `dest` (at most size - 1
  // characters), returning their number; a missing section or key gives the
  // default (or ""). With a section and no key: the key names of the section;
  // with no section: all section names, each list as zero-terminated names
  // followed by one more zero, returning the characters before the final zero.
  // The default is copied into `dest` before any check, so on -1 and -3 the
  // destination holds it (cut to size - 1 characters).
  int IniGetString(LPCWSTR section, LPCWSTR key, LPCWSTR default_text, LPWSTR dest, int size);

  // The value as a decimal integer (_wtol of its first 31 characters), or
  // `default_value` when nothing is open, a name is absent, the section or key
  // is missing, or the value is empty.
  int IniGetInt(LPCWSTR section, LPCWSTR key, int default_value);

  // Lookup steps, for readers that walk a file themselves. Line starts are
  // pointers into the text; none is nullptr.
  // The first header line matching `name` that starts in [range_start, range_end).
  const WCHAR* FindSection(LPCWSTR name, const WCHAR* range_start, const WCHAR* range_end) const;
  // The first key line for `key` in the section whose header line is `header`.
  const WCHAR* FindKey(LPCWSTR key, const WCHAR* header, const WCHAR* text_end) const;
  // With `dest`: the value of `key_line` copied as text (size_or_default is
  // the size); without: the value as an integer, or size_or_default when empty.
  int ReadValue(const WCHAR* key_line, const WCHAR* text_end, LPWSTR dest,
                int size_or_default) const;
  // Section search with the hint: from the hint to the end, then from the
  // start to the hint. Moves the hint to the header found.
  const WCHAR* FindSectionWithHint(LPCWSTR name);

  // ---- Writing (only when open for writing) ----

  // Sets `key` of `section` to `value`, adding the section and the key as
  // needed; no value deletes the key; no (or an empty) key deletes the
  // section. Returns 1, or 0 when nothing is open for writing, the section
  // name is empty, or the edit does not fit the capacity (nothing changes).
  int IniSetString(LPCWSTR section, LPCWSTR key, LPCWSTR value);

  // Stores `count` bytes as a checksummed byte record; no bytes deletes the key.
  int IniSetRecord(LPCWSTR section, LPCWSTR key, const BYTE* bytes, DWORD count);

  // Appends the characters [begin, end) to the text as they are, so that a
  // rewritten file keeps every line of another (comments, blank lines and
  // repeated sections included). Returns 1, or 0 when nothing is open for
  // writing, the text holds U+0000, or it does not fit the capacity (nothing
  // changes).
  int IniAppendText(const WCHAR* begin, const WCHAR* end);

  // ---- State, for tests and tools ----
  bool IsOpen() const { return view_ != nullptr; }
  const WCHAR* TextStart() const { return text_start_; }
  const WCHAR* TextEnd() const { return text_end_; }
  const WCHAR* SectionHint() const { return section_hint_; }
  DWORD UsedLength() const { return used_length_; }
  DWORD Capacity() const { return capacity_; }
  DWORD Access() const { return access_; }

 private:
  bool IsWritable() const { return IsOpen() && (access_ & GENERIC_WRITE) != 0; }
  bool InMemory() const { return view_ != nullptr && file_ == nullptr; }
  void SetText(DWORD size);
  int ListSections(LPWSTR dest, int size) const;
  int ListKeys(const WCHAR* header, LPWSTR dest, int size) const;
  int CopyDefault(LPCWSTR default_text, LPWSTR dest, int size) const;

  WCHAR* InsertSection(WCHAR* position, LPCWSTR name);
  int AppendKey(WCHAR* header, LPCWSTR key, LPCWSTR value);
  int ReplaceKey(WCHAR* header, LPCWSTR key, LPCWSTR value);
  int DeleteSection(WCHAR* header);
  static void MoveChars(WCHAR* dest, const WCHAR* src, size_t count);
  bool Fits(size_t grow_chars) const;

  HANDLE file_ = nullptr;
  HANDLE mapping_ = nullptr;
  BYTE* view_ = nullptr;
  DWORD used_length_ = 0;  // bytes from the file's start, byte-order mark included
  DWORD capacity_ = 0;     // bytes asked of the mapping; 0 when reading
  DWORD access_ = 0;
  WCHAR* text_start_ = nullptr;
  WCHAR* text_end_ = nullptr;
  WCHAR* section_hint_ = nullptr;
};

#endif  // RECO_INI_INI_FILE_H_
