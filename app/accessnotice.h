#pragma once

#include <QDialog>

class QCheckBox;

namespace wagetrove {

/// "Accessing company file": says that QuickBooks is about to ask for access, with "Don't show this screen
/// again." and OK and Cancel.
class AccessNotice : public QDialog
{
    Q_OBJECT

public:
    explicit AccessNotice(QWidget* parent = nullptr);

    bool dontShowAgain() const;

private:
    QCheckBox* m_check1 = nullptr;
};

} // namespace wagetrove
