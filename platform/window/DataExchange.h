// One-step data exchange between a dialog's members and its controls: each
// member is bound once to a control, then "read the fields" copies every
// control into its member (validating numbers) and "show the fields" copies
// every member into its control.
#pragma once

#include <QString>

#include <climits>
#include <functional>
#include <vector>

namespace win {

class Dialog;

class DataExchange {
public:
    /// An edit's or static's text. A drop-down list's selected text when read.
    void BindText(int id, QString &value);
    /// An edit holding a whole number. Reading fails, with a message to the
    /// user, when the text is not a number or lies outside `min`..`max`.
    void BindInt(int id, int &value, int min = INT_MIN, int max = INT_MAX);
    /// A check box: 1 checked, 0 not.
    void BindCheck(int id, int &value);
    void BindCheck(int id, bool &value);
    /// The selected entry of a drop-down list or list box, -1 for none.
    void BindIndex(int id, int &value);
    /// A radio group (see `Dialog::DefineRadioGroup`) named by any of its
    /// buttons: the index of the checked button in the group, -1 for none.
    void BindRadio(int id, int &value);
    /// Anything else: `read` copies the control into the member and returns
    /// false (after telling the user) when the value is not acceptable.
    void BindCustom(std::function<bool()> read, std::function<void()> show);

    /// Copies between members and controls in binding order. Reading stops at
    /// the first field that fails validation, shows the message, moves the
    /// focus to that field and returns false; fields before it are updated.
    bool Exchange(Dialog &dialog, bool read) const;

private:
    struct Binding {
        std::function<bool(Dialog &)> read;
        std::function<void(Dialog &)> show;
    };
    std::vector<Binding> bindings_;
};

} // namespace win
