#include "app/windowfinish.h"

#include "common/accelerators.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QUrl>
#include <QWidget>

#include <algorithm>

namespace wagetrove {
namespace {

WindowSetup& setup()
{
    static WindowSetup current;
    return current;
}

/// Gives a window the size it had when last hidden and keeps the size it has when hidden again.
class SizeMemory : public QObject
{
public:
    explicit SizeMemory(QWidget* window) : QObject(window), m_window(window) { window->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool shown = event->type() == QEvent::Show && !m_restored;
        if (watched != m_window || !(shown || event->type() == QEvent::Hide) || setup().sizesFile.isEmpty() ||
            m_window->objectName().isEmpty()) {
            return false;
        }
        QSettings sizes(setup().sizesFile, QSettings::IniFormat);
        const QString key = m_window->objectName() + QStringLiteral("/size");
        if (shown) {
            m_restored = true;
            QSize size = sizes.value(key).toSize();
            if (size.isValid()) {
                // A size kept on a larger screen is cut to this one.
                if (const QScreen* screen = m_window->screen()) {
                    size = size.boundedTo(screen->availableGeometry().size());
                }
                m_window->resize(size.expandedTo(m_window->minimumSizeHint()));
            }
        } else if (event->type() == QEvent::Hide) {
            sizes.setValue(key, m_window->size());
        }
        return false;
    }

private:
    QWidget* m_window;
    bool m_restored = false;
};

/// A little more than the title's text, for the title bar's own buttons.
int titleWidth(const QWidget* window)
{
    return window->fontMetrics().horizontalAdvance(window->windowTitle()) + 160;
}

/// Lays the window out now, outer layouts first, so that positions can be compared before it is shown.
void layOut(QWidget* window)
{
    QList<QWidget*> widgets{window};
    widgets += window->findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        if (QLayout* layout = widget->layout()) {
            layout->activate();
        }
    }
}

/// The shown widgets among `widgets` in reading order: a widget joins the row of the one before it when its
/// middle lies within that row's height.
QList<QWidget*> inReadingOrder(QWidget* window, QList<QWidget*> widgets)
{
    layOut(window);
    const auto top = [window](QWidget* w) { return w->mapTo(window, QPoint(0, 0)).y(); };
    const auto left = [window](QWidget* w) { return w->mapTo(window, QPoint(0, 0)).x(); };
    std::stable_sort(widgets.begin(), widgets.end(), [&](QWidget* a, QWidget* b) { return top(a) < top(b); });
    QList<QWidget*> ordered;
    qsizetype rowStart = 0;
    int rowBottom = -1;
    for (qsizetype i = 0; i <= widgets.size(); ++i) {
        const bool newRow = i == widgets.size() || top(widgets[i]) + widgets[i]->height() / 2 > rowBottom;
        if (newRow && i > rowStart) {
            QList<QWidget*> row = widgets.mid(rowStart, i - rowStart);
            std::stable_sort(row.begin(), row.end(), [&](QWidget* a, QWidget* b) { return left(a) < left(b); });
            ordered += row;
            rowStart = i;
        }
        if (i < widgets.size()) {
            rowBottom = newRow ? top(widgets[i]) + widgets[i]->height()
                               : std::max(rowBottom, top(widgets[i]) + widgets[i]->height());
        }
    }
    return ordered;
}

bool takesTabFocus(QWidget* widget, QWidget* window)
{
    if (!(widget->focusPolicy() & Qt::TabFocus) || widget->focusProxy()) {
        return false;
    }
    // The parts of a composite widget (a combo box's or a table's own children) follow their owner.
    for (QWidget* parent = widget->parentWidget(); parent && parent != window; parent = parent->parentWidget()) {
        if (parent->focusPolicy() & Qt::TabFocus) {
            return false;
        }
    }
    return true;
}

} // namespace

void setReadingTabOrder(QWidget* window)
{
    QList<QWidget*> shown;
    QList<QWidget*> hidden;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (takesTabFocus(widget, window)) {
            (widget->isVisibleTo(window) ? shown : hidden) << widget;
        }
    }
    const QList<QWidget*> chain = inReadingOrder(window, shown) + hidden;
    for (qsizetype i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }
}

void assignAccelerators(QWidget* window, const QString& reserved)
{
    QList<QWidget*> shown;
    QList<QWidget*> hidden;
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (button->window() == window) {
            (button->isVisibleTo(window) ? shown : hidden) << button;
        }
    }
    const QList<QWidget*> buttons = inReadingOrder(window, shown) + hidden;
    QStringList captions;
    for (QWidget* button : buttons) {
        captions << withoutAccelerator(static_cast<QPushButton*>(button)->text());
    }
    const QStringList marked = withAccelerators(captions, reserved);
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        static_cast<QPushButton*>(buttons[i])->setText(marked[i]);
    }
}

void configureWindows(const WindowSetup& windows)
{
    setup() = windows;
}

bool openUserGuide()
{
    const QString& guide = setup().userGuide;
    return !guide.isEmpty() && QFileInfo(guide).isFile() && QDesktopServices::openUrl(QUrl::fromLocalFile(guide));
}

void finishWindow(QWidget* window, const QString& reserved)
{
    setReadingTabOrder(window);
    assignAccelerators(window, reserved);
    window->setMinimumWidth(std::max(window->minimumWidth(), titleWidth(window)));
    new SizeMemory(window);
    auto* help = new QShortcut(QKeySequence::HelpContents, window);
    QObject::connect(help, &QShortcut::activated, window, [] { openUserGuide(); });
}

} // namespace wagetrove
