#pragma once

#include <QDialog>

class QCheckBox;

namespace wagetrove {

class Dialogs;
struct Session;

/// "ICESA File Created": what to do with a new Texas file in the TWC QuickFile utility.
class Form5 : public QDialog
{
    Q_OBJECT

public:
    Form5(Session& session, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    Session& m_session;
    Dialogs& m_dialogs;
    QCheckBox* m_check1 = nullptr;
};

} // namespace wagetrove
