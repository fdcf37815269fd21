// The application icon: a telephone handset on a dial-blue disc, drawn at
// every size the desktop asks for.
#pragma once

#include <QIcon>

/// The icon of the main window and the message boxes.
QIcon AppIcon();
