// Window size and place remembered per user, and kept within the screen.
#include "ui/WindowGeometry.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace {

QSettings userSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tabel"),
                     QStringLiteral("windows"));
}

// Restores the window's geometry when it is shown and keeps it when it is hidden.
class GeometryKeeper : public QObject {
public:
    GeometryKeeper(QWidget* window, const QString& key) : QObject(window), m_window(window), m_key(key) {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_window)
            return false;
        if (event->type() == QEvent::Show) {
            if (!m_restored) {
                m_restored = true;
                const QByteArray saved = userSettings().value(m_key).toByteArray();
                if (!saved.isEmpty())
                    m_window->restoreGeometry(saved);
            }
            fitIntoScreen(m_window);
        } else if (event->type() == QEvent::Hide) {
            QSettings settings = userSettings();
            settings.setValue(m_key, m_window->saveGeometry());
        }
        return false;
    }

private:
    QWidget* m_window;
    QString m_key;
    bool m_restored = false;
};

} // namespace

void fitIntoScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The frame drawn by the desktop around the window (title bar, borders) needs room too.
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    const int frameWidth = std::max(0, frame.width() - inner.width());
    const int frameHeight = std::max(0, frame.height() - inner.height());
    QSize size = window->size().boundedTo(QSize(area.width() - frameWidth, area.height() - frameHeight));
    size = size.expandedTo(window->minimumSize());
    if (size != window->size())
        window->resize(size);
    QRect placed = window->frameGeometry();
    if (placed.right() > area.right())
        placed.moveRight(area.right());
    if (placed.bottom() > area.bottom())
        placed.moveBottom(area.bottom());
    if (placed.left() < area.left())
        placed.moveLeft(area.left());
    if (placed.top() < area.top())
        placed.moveTop(area.top());
    if (placed.topLeft() != window->frameGeometry().topLeft())
        window->move(placed.topLeft());
}

void rememberGeometry(QWidget* window, const QString& key, const QSize& defaultSize) {
    window->setMinimumSize(0, 0);
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window->resize(defaultSize);
    new GeometryKeeper(window, QStringLiteral("windows/") + key);
}
