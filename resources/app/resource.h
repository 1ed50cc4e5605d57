// Resource ids of the settings program, each defined once: the icon, the two
// page templates and their controls. Plain preprocessor definitions, so that the resource compiler
// reads this file as C++ does.
#ifndef RECO_RESOURCES_APP_RESOURCE_H_
#define RECO_RESOURCES_APP_RESOURCE_H_

#define IDI_RECORANGE 101

// The page templates: Simplified Chinese and Latin.
#define IDD_CHINESE_RANGE 325
#define IDD_LATIN_RANGE 400

// The Chinese page: the character set and the eight recognition ranges.
#define IDC_CHARSET_LABEL 301
#define IDC_CHARSET 302
#define IDC_STANDARD_CHARS 303
#define IDC_SPECIAL_RADICALS 304
#define IDC_TRADITIONAL_FORMS 305
#define IDC_CURSIVE_SCRIPT 306
#define IDC_ENGLISH_LETTERS 307
#define IDC_DIGITS 308
#define IDC_CHINESE_PUNCTUATION 309
#define IDC_ENGLISH_PUNCTUATION 310

// The Latin page: its three boxes take the ids of the Chinese page's first
// three.
#define IDC_LATIN_STRING 303
#define IDC_LATIN_SHORT_PHRASE 304
#define IDC_LATIN_AUTO_SPACE 305
#define IDC_OUTPUT_GROUP 407

// Both pages.
#define IDC_RANGE_GROUP 315
#define IDC_FONT_NAME_LABEL 320
#define IDC_FONT_SIZE_LABEL 321
#define IDC_FONT_NAME 322
#define IDC_FONT_SIZE 323
#define IDC_FONT_GROUP 324

#endif  // RECO_RESOURCES_APP_RESOURCE_H_
