// The about box: the program's icon, name and version, and two links.
#pragma once

#include <window/Dialog.h>

class CHLinkCtrl;

/// A modal dialog on the user-interface thread, opened from the main
/// window's system menu.
class CAboutDlg : public win::Dialog {
public:
    static constexpr int IDD = 100;
    static constexpr int IDC_ICON = 2038;
    static constexpr int IDC_VERSION = 2037;
    static constexpr int IDC_HOMEPAGE = 2039; ///< link to the product's page
    static constexpr int IDC_SUPPORT = 2040;  ///< link to its support page

    explicit CAboutDlg(QWidget *parent = nullptr);

    CHLinkCtrl *GetHomepageLink() const { return homepage_; }
    CHLinkCtrl *GetSupportLink() const { return support_; }

protected:
    void OnInitDialog() override;

private:
    CHLinkCtrl *homepage_ = nullptr;
    CHLinkCtrl *support_ = nullptr;
};
