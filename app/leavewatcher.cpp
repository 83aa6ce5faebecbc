#include "app/leavewatcher.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QTimer>

namespace wagetrove {

void LeaveWatcher::watch(QLineEdit* box, Check check)
{
    m_checks.insert(box, std::move(check));
    box->installEventFilter(this);
}

bool LeaveWatcher::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box == nullptr || !m_checks.contains(watched)) {
        return QObject::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusIn) {
        // After the click that placed the cursor.
        QTimer::singleShot(0, box, &QLineEdit::selectAll);
    } else if (event->type() == QEvent::FocusOut && !m_checking) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            m_checking = true;
            QWidget* focus = m_checks.value(watched)();
            m_checking = false;
            if (focus != nullptr && focus->isEnabled()) {
                QTimer::singleShot(0, focus, [focus] { focus->setFocus(Qt::OtherFocusReason); });
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace wagetrove
