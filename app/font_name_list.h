// FontNameList: the face names of the installed fonts, each once, sorted
// without regard to case. Filled once at start-up by the platform's font
// enumeration (AddFontFamily is the callback), read by the pages.
#ifndef RECO_APP_FONT_NAME_LIST_H_
#define RECO_APP_FONT_NAME_LIST_H_

#include "platform/platform.h"

class FontNameList {
 public:
  FontNameList() = default;
  virtual ~FontNameList();
  FontNameList(const FontNameList&) = delete;
  FontNameList& operator=(const FontNameList&) = delete;

  // Frees every entry; the count becomes 0. Pointers from At and Find die.
  void Clear();
  DWORD Count() const { return count_; }
  // The stored description at `index`, walking from the first entry;
  // nullptr when index >= Count().
  const LOGFONTW* At(DWORD index) const;
  // The first entry whose face name equals `face_name` ignoring case.
  const LOGFONTW* Find(LPCWSTR face_name) const;
  // Ascending order of face name, ignoring case (a merge sort that relinks).
  void Sort();

  // The enumeration callback: `param` is the list. Adds a copy of the
  // description unless its face name is listed already. Always 1, so the
  // enumeration is never stopped here.
  static int CALLBACK AddFontFamily(const LOGFONTW* font, const TEXTMETRICW* metrics,
                                    DWORD font_type, LPARAM param);

 private:
  struct Entry {
    LOGFONTW* font;
    Entry* next;
  };
  static Entry* MergeSort(Entry* head, DWORD length);

  Entry* head_ = nullptr;
  Entry* tail_ = nullptr;
  DWORD count_ = 0;
};

#endif  // RECO_APP_FONT_NAME_LIST_H_
