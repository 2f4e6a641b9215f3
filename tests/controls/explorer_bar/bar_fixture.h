#pragma once
#include <string>
#include <vector>

#include "controls/explorer_bar/explorer_bar.h"

namespace kqm::test {

// Fills a bar with the navigation content the main window shows: three groups, twelve items.
inline void FillNavigation(ExplorerBar& bar) {
  ExplorerBarGroup& location = bar.Groups().Add("Location");
  location.SetSpecial(true);
  location.SetIconIndex(0);
  const struct { const char* key; const char* caption; int icon; } places[] = {
      {"HKLMR", "HKLM\\Run", 0},        {"HKLMRO", "HKLM\\Run Once", 0},
      {"HKLMS", "HKLM\\Run Services", 0}, {"HKCUR", "HKCU\\Run", 0},
      {"HKCURO", "HKCU\\Run Once", 0},  {"USER", "User StartUp Folder", 1},
      {"ALLUSERS", "Common StartUp Folder", 1}, {"WININI", "Win.ini (Manual Edit)", 2},
      {"SYSTEMINI", "System.ini (Manual Edit)", 2}};
  for (const auto& p : places) location.Items().Add(p.key, p.caption, p.icon);
  ExplorerBarGroup& actions = bar.Groups().Add("Actions");
  actions.SetIconIndex(1);
  actions.Items().Add("DISABLE", "Disable StartUp Item", 6);
  actions.Items().Add("ENABLE", "Enable StartUp Item", 7);
  ExplorerBarGroup& help = bar.Groups().Add("Help && About");
  help.SetIconIndex(2);
  help.Items().Add("HELP", "Help && About", 3);
}

// Records the keys of clicked items.
struct ClickLog {
  std::vector<std::string> keys;
  void Attach(ExplorerBar& bar) {
    bar.OnItemClick([this](ExplorerBarItem& item) { keys.push_back(item.Key()); });
  }
};

inline int CenterX(const PixelRect& r) { return r.left + (r.right - r.left) / 2; }
inline int CenterY(const PixelRect& r) { return r.top + (r.bottom - r.top) / 2; }

}  // namespace kqm::test
