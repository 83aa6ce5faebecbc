#pragma once

#include <QHash>
#include <QObject>

#include <functional>

class QLineEdit;
class QWidget;

namespace wagetrove {

/// Runs a box's check when the user leaves it, as the classic lost-focus handlers did: a message box or another
/// window taking the focus does not count as leaving, a check never runs inside another, and the check may send
/// the focus back. Entering a watched box selects its whole text.
class LeaveWatcher : public QObject
{
    Q_OBJECT

public:
    /// The check returns the widget that is to get the focus, or nullptr to leave it where the user put it.
    using Check = std::function<QWidget*()>;

    explicit LeaveWatcher(QObject* parent) : QObject(parent) {}

    void watch(QLineEdit* box, Check check);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHash<QObject*, Check> m_checks;
    bool m_checking = false;
};

} // namespace wagetrove
