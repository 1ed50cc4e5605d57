// The user's default language from the POSIX locale.
//
// The locale names are read from the environment rather than through
// setlocale(), so the answer does not depend on which locales happen to be
// generated on the machine; the precedence is the one Wine uses for the same
// call (LC_ALL, then LC_MESSAGES, then LANG).
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/internal.h"

namespace {

struct LocaleId {
  const char* name;  // "ll" or "ll_CC"
  LANGID id;
};

// Country-specific names first; a language alone stands for the country
// Windows makes primary for it.
constexpr LocaleId kLocales[] = {
    {"zh_CN", 0x0804}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh_SG", 0x1004}, {"zh_MO", 0x1404},
    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"en_NZ", 0x1409},
    {"en_IE", 0x1809}, {"en_IN", 0x4009}, {"de_DE", 0x0407}, {"de_CH", 0x0807}, {"de_AT", 0x0C07},
    {"fr_FR", 0x040C}, {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"it_IT", 0x0410},
    {"it_CH", 0x0810}, {"es_ES", 0x0C0A}, {"es_MX", 0x080A}, {"pt_BR", 0x0416}, {"pt_PT", 0x0816},
    {"nl_NL", 0x0413}, {"nl_BE", 0x0813}, {"ja_JP", 0x0411}, {"ko_KR", 0x0412}, {"ru_RU", 0x0419},
    {"pl_PL", 0x0415}, {"cs_CZ", 0x0405}, {"sk_SK", 0x041B}, {"hu_HU", 0x040E}, {"ro_RO", 0x0418},
    {"bg_BG", 0x0402}, {"hr_HR", 0x041A}, {"sl_SI", 0x0424}, {"el_GR", 0x0408}, {"tr_TR", 0x041F},
    {"sv_SE", 0x041D}, {"da_DK", 0x0406}, {"nb_NO", 0x0414}, {"nn_NO", 0x0814}, {"fi_FI", 0x040B},
    {"et_EE", 0x0425}, {"lv_LV", 0x0426}, {"lt_LT", 0x0427}, {"uk_UA", 0x0422}, {"he_IL", 0x040D},
    {"ar_SA", 0x0401}, {"th_TH", 0x041E}, {"vi_VN", 0x042A}, {"id_ID", 0x0421}, {"ms_MY", 0x043E},
    {"hi_IN", 0x0439}, {"zh", 0x0804},    {"en", 0x0409},    {"de", 0x0407},    {"fr", 0x040C},
    {"it", 0x0410},    {"es", 0x0C0A},    {"pt", 0x0816},    {"nl", 0x0413},    {"ja", 0x0411},
    {"ko", 0x0412},    {"ru", 0x0419},    {"pl", 0x0415},    {"cs", 0x0405},    {"sk", 0x041B},
    {"hu", 0x040E},    {"ro", 0x0418},    {"bg", 0x0402},    {"hr", 0x041A},    {"sl", 0x0424},
    {"el", 0x0408},    {"tr", 0x041F},    {"sv", 0x041D},    {"da", 0x0406},    {"nb", 0x0414},
    {"no", 0x0414},    {"nn", 0x0814},    {"fi", 0x040B},    {"et", 0x0425},    {"lv", 0x0426},
    {"lt", 0x0427},    {"uk", 0x0422},    {"he", 0x040D},    {"ar", 0x0401},    {"th", 0x041E},
    {"vi", 0x042A},    {"id", 0x0421},    {"ms", 0x043E},    {"hi", 0x0439},
};

constexpr LANGID kNeutralEnglish = 0x0409;

const char* ChosenLocale() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != 0) return value;
  }
  return "";
}

}  // namespace

LANGID GetUserDefaultLangID() {
  // "zh_CN.UTF-8@modifier" -> "zh_CN"
  std::string name = ChosenLocale();
  name = name.substr(0, name.find_first_of(".@"));
  for (const LocaleId& locale : kLocales) {
    if (name == locale.name) return locale.id;
  }
  const std::string language = name.substr(0, name.find('_'));
  for (const LocaleId& locale : kLocales) {
    if (language == locale.name) return locale.id;
  }
  return kNeutralEnglish;
}
