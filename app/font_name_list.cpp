#include "app/font_name_list.h"

#include <new>

FontNameList::~FontNameList() { Clear(); }

void FontNameList::Clear() {
  while (head_ != nullptr) {
    Entry* next = head_->next;
    delete head_->font;
    delete head_;
    head_ = next;
  }
  tail_ = nullptr;
  count_ = 0;
}

const LOGFONTW* FontNameList::At(DWORD index) const {
  if (index >= count_) return nullptr;
  const Entry* entry = head_;
  for (DWORD i = 0; i < index && entry != nullptr; ++i) entry = entry->next;
  return entry != nullptr ? entry->font : nullptr;
}

const LOGFONTW* FontNameList::Find(LPCWSTR face_name) const {
  if (face_name == nullptr) return nullptr;
  for (const Entry* entry = head_; entry != nullptr; entry = entry->next) {
    if (_wcsicmp(entry->font->lfFaceName, face_name) == 0) return entry->font;
  }
  return nullptr;
}

FontNameList::Entry* FontNameList::MergeSort(Entry* head, DWORD length) {
  if (length < 2) {
    if (head != nullptr) head->next = nullptr;
    return head;
  }
  const DWORD left_length = length / 2;
  Entry* middle = head;
  for (DWORD i = 0; i < left_length; ++i) middle = middle->next;
  Entry* left = MergeSort(head, left_length);
  Entry* right = MergeSort(middle, length - left_length);
  Entry merged{nullptr, nullptr};
  Entry* last = &merged;
  while (left != nullptr && right != nullptr) {
    // Equal keys keep their order; the list holds none, names being unique
    // ignoring case.
    if (_wcsicmp(left->font->lfFaceName, right->font->lfFaceName) <= 0) {
      last->next = left;
      left = left->next;
    } else {
      last->next = right;
      right = right->next;
    }
    last = last->next;
  }
  last->next = left != nullptr ? left : right;
  return merged.next;
}

void FontNameList::Sort() {
  head_ = MergeSort(head_, count_);
  tail_ = head_;
  while (tail_ != nullptr && tail_->next != nullptr) tail_ = tail_->next;
}

int CALLBACK FontNameList::AddFontFamily(const LOGFONTW* font, const TEXTMETRICW* /*metrics*/,
                                         DWORD /*font_type*/, LPARAM param) {
  auto* list = reinterpret_cast<FontNameList*>(param);
  if (list == nullptr || font == nullptr) return 1;
  if (list->Find(font->lfFaceName) != nullptr) return 1;
  // The enumeration hands an ENUMLOGFONTEXW; its first 92 bytes are the
  // LOGFONTW, which is all the list keeps.
  auto* copy = new (std::nothrow) LOGFONTW(*font);
  if (copy == nullptr) return 1;
  auto* entry = new (std::nothrow) Entry{copy, nullptr};
  if (entry == nullptr) {
    delete copy;
    return 1;
  }
  if (list->tail_ != nullptr) {
    list->tail_->next = entry;
  } else {
    list->head_ = entry;
  }
  list->tail_ = entry;
  ++list->count_;
  return 1;
}
