// A modeless window listing the features of the call shown in the main window,
// one per line. It keeps no call: the main window hands it the text.
#pragma once

#include <window/Dialog.h>

#include <QString>

/// User-interface thread only. Closing the window hides it; the main window
/// creates it once and destroys it when it is destroyed itself.
class KCallFeatures : public win::Dialog {
public:
    static constexpr int IDD = 1100;
    static constexpr int IDC_FEATURES = 1024;

    explicit KCallFeatures(QWidget *parent = nullptr);

    /// Replaces the text shown.
    void SetFeaturesText(const QString &text);

protected:
    /// Esc and the close box hide the window instead of destroying it, so the
    /// main window can show it again.
    void OnCancel() override;
};
