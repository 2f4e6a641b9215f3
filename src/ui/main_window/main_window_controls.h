#pragma once
#include <cstdint>
#include <string>

namespace kqm {

class AboutPage;
class ExplorerBar;
class ListView;
class MainWindowView;

// A plain panel of the main window (the header strip, the About page); geometry in twips of the client area.
class PanelView {
 public:
  virtual ~PanelView() = default;
  virtual void Visible(bool bVisible) = 0;
  // Brings the panel in front of its siblings.
  virtual void ZOrder() = 0;
  virtual int32_t Left() const = 0;
  virtual void Left(int32_t twips) = 0;
  virtual int32_t Width() const = 0;
  virtual void Width(int32_t twips) = 0;
  virtual int32_t Height() const = 0;
  // Moves and sizes the panel in one step; negative sizes are refused and change nothing.
  virtual void Move(int32_t left, int32_t top, int32_t width, int32_t height) = 0;
};

// A panel that shows lines of text ("\n" between lines) the user can read and copy but not change.
class TextPanelView : public PanelView {
 public:
  virtual void Text(const std::string& text) = 0;
  virtual std::string Text() const = 0;
};

// The controls of the main window, as its logic reaches them.
class MainWindowControls {
 public:
  virtual ~MainWindowControls() = default;
  // Creates the controls inside the window `view` has just created: the bar docked left, the list, the header
  // strip and the hidden About page panel showing `page`.
  virtual void Create(MainWindowView& view, AboutPage& page) = 0;
  virtual ExplorerBar& exBar() = 0;
  virtual ListView& lstItems() = 0;
  virtual PanelView& picHeader() = 0;
  virtual PanelView& picTabAbout() = 0;
  // Opaque handles of the item icon list (eight 16 by 16 images) and the group icon list (three 32 by 32).
  virtual std::intptr_t imgActions() const = 0;
  virtual std::intptr_t imgCat() const = 0;
  // Keeps the bar docked on the left over the full client height (twips).
  virtual void DockBar(int32_t clientHeightTwips) = 0;
  // The strip under the list that shows the selected row's details.
  virtual TextPanelView& picDetails() = 0;
};

}  // namespace kqm
