#pragma once

#include "core/mask.h"
#include "framework/controls/control.h"

#include <string>

class TLabel : public TControl {
public:
    explicit TLabel(TComponent* Owner = nullptr) : TControl(Owner) {}
    /// The control that a click on the label (or its accelerator) focuses.
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* control) { focusControl_ = control; }

private:
    TWinControl* focusControl_ = nullptr;
};

/// A picture (PNG or JPEG bytes), drawn centred and reduced to fit; empty shows nothing.
class TImage : public TControl {
public:
    explicit TImage(TComponent* Owner = nullptr) : TControl(Owner) {}
    const std::string& Picture() const { return picture_; }
    void SetPicture(std::string bytes) {
        if (bytes != picture_) {
            picture_ = std::move(bytes);
            Changed(TProperty::Picture);
        }
    }

private:
    std::string picture_;
};

class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent* Owner = nullptr) : TWinControl(Owner) {}
};

class TPanel : public TWinControl {
public:
    explicit TPanel(TComponent* Owner = nullptr) : TWinControl(Owner) {}
};

class TScrollBox : public TWinControl {
public:
    explicit TScrollBox(TComponent* Owner = nullptr) : TWinControl(Owner) {}
};

/// A one-line text edit. Its text changed by code or by typing fires OnChange when it
/// really changes. With an edit mask the text shown goes through the mask.
class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* Owner = nullptr);

    /// The text shown (literals and blanks of the mask included).
    const std::string& EditText() const { return text_; }
    /// The text as the program reads it: with a mask, what the mask stores.
    std::string Text() const;
    /// Sets the text from code; goes through the mask and MaxLength.
    void SetText(std::string_view text);
    void Clear() { SetText(""); }
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length) { maxLength_ = length; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    virtual std::string EditMask() const { return mask_; }
    void SetEditMask(std::string mask);

    /// What a person does: replaces the whole text by typing. Refused when the edit
    /// cannot be reached or is read-only.
    virtual bool UserType(std::string_view text);

    TNotifyEvent OnChange;

protected:
    /// Puts a new text in place (masked and cut) and fires OnChange if it differs.
    void ShowText(std::string_view text);

private:
    std::string text_;
    std::string mask_;
    int maxLength_ = 0;
    bool readOnly_ = false;
};

class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent* Owner = nullptr) : TCustomEdit(Owner) {}
};

/// An edit with a mask of its own (the hour box).
class TMaskEdit : public TCustomEdit {
public:
    explicit TMaskEdit(TComponent* Owner = nullptr) : TCustomEdit(Owner) {}
};

/// Checking one radio button from code or by a click unchecks its siblings (the
/// buttons of the same parent) and runs its OnClick.
class TRadioButton : public TWinControl {
public:
    explicit TRadioButton(TComponent* Owner = nullptr);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    void Click() override;
    /// One stop for the buttons of a parent: the checked one, else the first that can
    /// take the focus; the arrow keys move within the group.
    bool TakesTab() const override;
    /// The button of the group before (-1) or after (+1) this one that can take the focus.
    TRadioButton* Neighbour(int step) const;

private:
    bool checked_ = false;
};

/// Changing Checked (from code or by a click) runs OnClick.
class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* Owner = nullptr);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    void Click() override;

private:
    bool checked_ = false;
};

/// A toolbar button: never takes the focus, so clicking it runs no exit.
class TSpeedButton : public TControl {
public:
    explicit TSpeedButton(TComponent* Owner = nullptr) : TControl(Owner) {}
    /// The name of the picture the renderer shows.
    const std::string& Glyph() const { return glyph_; }
    void SetGlyph(std::string glyph) { glyph_ = std::move(glyph); }
    bool Flat() const { return flat_; }
    void SetFlat(bool flat) { flat_ = flat; }

private:
    std::string glyph_;
    bool flat_ = true;
};
