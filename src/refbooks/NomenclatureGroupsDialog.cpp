// Nomenclature groups list "Номенклатура (26)": adds and renames the groups of products, and
// serves the maintenance-work editor as the group picker.
#include "refbooks/NomenclatureGroupsDialog.h"

#include "refbooks/NomenclatureGroupEditor.h"
#include "ui/DatasetGrid.h"
#include "ui/Guarded.h"
#include "ui/ListSearch.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

void setFixedWindowLook(QDialog* window) {
    const QString icon = QStringLiteral(":/Icon_1");
    if (QFile::exists(icon))
        window->setWindowIcon(QIcon(icon));
    makeFixedDialog(window);
    window->setSizeGripEnabled(false);
    if (window->layout())
        window->layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void centreOnDesktop(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

NomenclatureGroupsDialog::NomenclatureGroupsDialog(Database& db, QWidget* parent)
    : ListDialog(QStringLiteral("Поиск по наименованию"), parent),
      m_editor(new NomenclatureGroupEditor(db, this)) {
    setObjectName(QStringLiteral("NomenclatureGroupsDialog"));
    setWindowTitle(QStringLiteral("Номенклатура (26)"));
    // No default button in either mode: Enter chooses nothing.
    m_modesSetDefaultButton = false;
    m_addButton->setDefault(false);
    // Groups are not deleted.
    m_removeButton->setEnabled(false);

    m_groups.setSql(QStringLiteral("select * from cmn_classifier.item where id_level=2 order by s_caption"));

    m_listGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_groupsModel.setColumns({{QStringLiteral("s_caption"), QStringLiteral("Наименование"), 330}});
    showInGrid(m_groupsModel, m_listGrid);
    m_listGrid->setFixedSize(360, 340);

    layOutWithSearchAbove();
    setFixedWindowLook(this);
}

Dataset& NomenclatureGroupsDialog::list() {
    return m_groups;
}

void NomenclatureGroupsDialog::showEvent(QShowEvent* e) {
    ListDialog::showEvent(e);
    centreOnDesktop(this);
}

void NomenclatureGroupsDialog::browse() {
    if (!runGuarded([this] { m_groups.open(); }))
        return;
    showInMode(Mode::Browse);
    m_groups.close();
}

std::optional<NomenclatureGroup> NomenclatureGroupsDialog::pickGroup() {
    m_picked.reset();
    enterMode(Mode::Pick);
    if (runGuarded([this] { m_groups.open(); }))
        seams::showModal(this);
    // "Добавить" and "Удалить" are back for the next opening.
    m_addButton->setVisible(true);
    m_removeButton->setVisible(true);
    m_groups.close();
    return m_picked;
}

// After the editor the list stands on the same row number, whatever group it now holds.
void NomenclatureGroupsDialog::addNew() {
    const int row = m_groups.recNo();
    if (m_editor->addGroup())
        reopenList(false);
    m_groups.setRecNo(row);
}

void NomenclatureGroupsDialog::changeCurrent() {
    // With no row there is no group to rename.
    if (m_groups.isEmpty())
        return;
    const int row = m_groups.recNo();
    if (m_editor->renameGroup({m_groups.fieldByName(QStringLiteral("id")).asLargeInt(),
                               m_groups.fieldByName(QStringLiteral("s_caption")).asString().trimmed()}))
        reopenList(false);
    m_groups.setRecNo(row);
}

// A pick, also from an empty list (id 0, empty name).
void NomenclatureGroupsDialog::pickCurrent() {
    m_picked = NomenclatureGroup{m_groups.fieldByName(QStringLiteral("id")).asLargeInt(),
                                 m_groups.fieldByName(QStringLiteral("s_caption")).asString()};
    accept();
}

// Shows the groups whose name begins with the text, letter case aside.
void NomenclatureGroupsDialog::search(const QString& text) {
    applySearch(m_groups, QStringLiteral("s_caption"), text);
}
