#include "app/windowfinish.h"

#include "common/accelerators.h"

#include <QLayout>
#include <QPushButton>
#include <QWidget>

#include <algorithm>

namespace wagetrove {
namespace {

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

void finishWindow(QWidget* window, const QString& reserved)
{
    setReadingTabOrder(window);
    assignAccelerators(window, reserved);
}

} // namespace wagetrove
