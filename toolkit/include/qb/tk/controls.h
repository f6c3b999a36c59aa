#pragma once
// The standard controls.
#include <optional>
#include <string>
#include <vector>

#include "qb/tk/container.h"
#include "qb/win/handles.h"

namespace qb::tk {

class Label : public Control {
 public:
  Label(Container& parent, std::string name, const Bounds& b, const std::string& caption);
  // A label that stands out: bold, in a type of pointSize points (0 keeps the
  // size), in its own colour.
  void setEmphasis(bool bold, int pointSize, std::optional<COLORREF> color);
  std::optional<COLORREF> textColor() const { return color_; }
  // A background of its own instead of the face colour; nullopt gives it back.
  void setBackground(std::optional<COLORREF> color);
  HBRUSH backgroundBrush() const { return static_cast<HBRUSH>(background_.get()); }
  void setRightAligned(bool on);

 private:
  qb::win::UniqueGdiObject font_;
  std::optional<COLORREF> color_;
  qb::win::UniqueGdiObject background_;
};

// The toolkit's font, made bold and/or of pointSize points (0 keeps the size).
HFONT createStyledFont(bool bold, int pointSize);

// A label used as a link: underlined, clickable, told apart by its tag in a shared handler.
// It is a tab stop: focused, it shows a focus frame, and Enter or Space clicks it.
class LinkLabel : public Control {
 public:
  LinkLabel(Container& parent, std::string name, const Bounds& b, const std::string& caption, int tagValue);
  // A link that stands out: bold and/or in its own colour, still underlined.
  void setEmphasis(bool bold, std::optional<COLORREF> color);
  std::optional<COLORREF> textColor() const { return color_; }
  Handler onClick;
  void click();
  void handleCommand(WORD code) override;

 private:
  qb::win::UniqueGdiObject font_;
  std::optional<COLORREF> color_;
};

class Button : public Control {
 public:
  Button(Container& parent, std::string name, const Bounds& b, const std::string& caption);
  Handler onClick;
  void click();
  void handleCommand(WORD code) override;
};

class CheckBox : public Control {
 public:
  CheckBox(Container& parent, std::string name, const Bounds& b, const std::string& caption);
  bool checked() const;
  // Changing the state in code does not call onClick.
  void setChecked(bool on);
  Handler onClick;
  void click();
  void handleCommand(WORD code) override;
};

// Radio buttons with the same parent form one group.
class RadioButton : public Control {
 public:
  RadioButton(Container& parent, std::string name, const Bounds& b, const std::string& caption,
              int tagValue = 0);
  bool checked() const;
  // Checking one unchecks the others of its group; onClick is called as a click would.
  void setChecked(bool on);
  Handler onClick;
  void click();
  void handleCommand(WORD code) override;
};

class Edit : public Control {
 public:
  Edit(Container& parent, std::string name, const Bounds& b, const std::string& text = {},
       bool readOnly = false);
  std::string text() const { return caption(); }
  void setText(const std::string& t) { setCaption(t); }
  // A flat edit: a thin line border in place of the sunken edge.
  void setFlat();
  Handler onChange;
  void handleCommand(WORD code) override;
};

enum class ComboStyle { DropDown, DropDownList };

class ComboBox : public Control {
 public:
  ComboBox(Container& parent, std::string name, const Bounds& b, ComboStyle style, int dropDownCount = 8);
  void clear();
  void addItem(const std::string& text);
  void setItems(const std::vector<std::string>& items);
  int count() const;
  std::string item(int index) const;
  int itemIndex() const;
  void setItemIndex(int index);
  // The text in the edit part (for a list-only combo, the selected item's text).
  std::string text() const;
  void setText(const std::string& t);
  Handler onChange;
  void handleCommand(WORD code) override;

 private:
  int dropDownCount_;
  int editHeight_;
  void sizeDropDown();
};

}  // namespace qb::tk
