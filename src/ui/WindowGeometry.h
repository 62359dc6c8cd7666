// Window size and place: the large windows can be resized, open at their default size the first
// time, fit the screen they open on, and open again where and as large as the user left them.
#pragma once

#include <QSize>
#include <QString>

class QWidget;

// Makes the window resizable with defaultSize as its first size, and remembers its size and
// place per user under key (the user's settings, group "windows"). Whenever it is shown, it is
// kept within the available area of its screen, so that no control is out of reach on a small
// screen or at a large scaling.
void rememberGeometry(QWidget* window, const QString& key, const QSize& defaultSize);

// Keeps the window within the available area of its screen (smaller and moved where needed).
void fitIntoScreen(QWidget* window);
