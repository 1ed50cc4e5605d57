#include "tools/recoctl/diagnose_windows.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tools/recoctl/host.h"
#include "tools/recoctl/live_sections.h"

namespace diagnose_windows {
namespace {

using Json = nlohmann::ordered_json;

std::string WindowState(DWORD word) {
  if (word == 0) return "0";
  return (IsWindow(WordToWindow(word)) ? "live " : "stale ") + WindowWord(WordToWindow(word));
}

int CALLBACK CollectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM param) {
  auto* faces = reinterpret_cast<std::vector<std::wstring>*>(param);
  std::wstring face = font->lfFaceName;
  const bool known = std::any_of(faces->begin(), faces->end(), [&](const std::wstring& f) {
    return _wcsicmp(f.c_str(), face.c_str()) == 0;
  });
  if (!known) faces->push_back(face);
  return 1;
}

}  // namespace

Json Check(const ServerBlock* server, const std::string& font_name,
           std::vector<Problem>* problems) {
  Json json;
  if (server != nullptr) {
    const std::string server_window = WindowState(server->ServerWindow);
    const std::string settings_window = WindowState(server->SettingsWindow);
    json["ServerWindow"] = server_window;
    json["SettingsWindow"] = settings_window;
    if (server_window.rfind("live", 0) != 0) {
      problems->push_back(
          {"ServerWindow is " + server_window + ": a confirmed change reaches no server",
           "start the input-method server again (or restart the device)"});
    }
    if (settings_window.rfind("stale", 0) == 0) {
      problems->push_back(
          {"SettingsWindow is " + settings_window + ": a page ended without clearing it",
           "harmless until its handle is reused by another window; restart the "
           "input-method server to clear it"});
    }
  }
  std::vector<std::wstring> faces;
  HDC dc = GetDC(nullptr);
  LOGFONTW wanted = {};
  wanted.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExW(dc, &wanted, CollectFace, reinterpret_cast<LPARAM>(&faces), 0);
  ReleaseDC(nullptr, dc);
  const WString font = Wide(font_name);
  const bool found = std::any_of(faces.begin(), faces.end(), [&](const std::wstring& f) {
    return _wcsicmp(f.c_str(), font.c_str()) == 0;
  });
  json["installed faces"] = faces.size();
  json["FontName installed"] = found;
  if (!found) {
    problems->push_back({"the page's FontName \"" + font_name + "\" is not an installed face",
                         "choose an installed face on the page, or with \"recoctl settings set "
                         "LatinRange.FontName=NAME\" (SCRange for the Chinese page)"});
  }
  return json;
}

}  // namespace diagnose_windows
