// Asks once for the organisation and department printed on the T-13 timesheet, when the settings
// files name none; what is typed is remembered for the next time.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

class T13TextsDialog : public QDialog {
    Q_OBJECT
public:
    explicit T13TextsDialog(QWidget* parent = nullptr);

    // Shows the texts as they are, modally; true with both texts typed when the user confirms.
    bool ask(QString* organisation, QString* department);

private:
    QLineEdit* m_organisationEdit;
    QLineEdit* m_departmentEdit;
    QPushButton* m_saveButton;
    QPushButton* m_cancelButton;
};
