// Norms window "Норматив": the norms of one operation price (norm quantity, piece price, bonus
// percent), edited in place in a grid.
#include "refbooks/NormsDialog.h"

#include "data/Database.h"
#include "data/Format.h"
#include "data/Sql.h"
#include "records/NormStore.h"
#include "refbooks/StoreCall.h"
#include "ui/Guarded.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

// ---- The norms table ---------------------------------------------------------------------

namespace {

QString integerText(const QVariant& v) {
    return v.isNull() || !v.isValid() ? QString() : QString::number(v.toLongLong());
}

} // namespace

QString normsCellProblem(const QString& field, const QString& typed) {
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return {};
    if (field == QLatin1String("price")) {
        double d = 0;
        if (!parseNumber(text, &d))
            return QStringLiteral("«%1» не является числом").arg(text);
        if (d < 0)
            return QStringLiteral("Цена не может быть отрицательной.");
        if (d > kMaxNormPrice)
            return QStringLiteral("Цена больше %1 р. не бывает: проверьте число.")
                .arg(kMaxNormPrice, 0, 'f', 0);
        return {};
    }
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok)
        return QStringLiteral("«%1» не является целым числом").arg(text);
    if (n < 0)
        return field == QLatin1String("prize") ? QStringLiteral("Премия не может быть отрицательной.")
                                               : QStringLiteral("Норматив не может быть отрицательным.");
    return {};
}

NormsTable::NormsTable(EditTable& norms, QObject* parent) : ResultGridModel(norms, parent), m_norms(norms) {
    m_norms.setTableName(QStringLiteral("accounts_dep.norm"));
    m_norms.setKeyField(QStringLiteral("id"));
    m_norms.setSql(QStringLiteral("select * from accounts_dep.norm where o_id=:o_id order by norma, id"));
    setColumns({
        GridColumn{QStringLiteral("norma"), QStringLiteral("Норматив"), 133, integerText},
        GridColumn{QStringLiteral("price"), QStringLiteral("Цена"), 105, priceText},
        GridColumn{QStringLiteral("prize"), QStringLiteral("Премия, %"), 82, integerText},
    });
}

QString NormsTable::priceText(const QVariant& v) {
    if (v.isNull() || !v.isValid())
        return QString();
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    QString t = loc.toString(roundHalfEven(v.toDouble(), 3), 'f', 3);
    if (t.endsWith(u'0'))
        t.chop(1);
    return t;
}

void NormsTable::openFor(int operId, qint64 keepId) {
    if (m_newRow) {
        beginRemoveRows({}, newRowIndex(), newRowIndex());
        m_newRow = false;
        endRemoveRows();
    }
    m_dirty = false;
    m_changedFields.clear();
    m_norms.setParam(QStringLiteral("o_id"), operId);
    m_norms.open();
    if (keepId)
        m_norms.locate(QStringLiteral("id"), keepId);
}

void NormsTable::beginNewRow() {
    if (m_newRow)
        return;
    m_norms.cancel();
    m_dirty = false;
    m_changedFields.clear();
    beginInsertRows({}, newRowIndex(), newRowIndex());
    m_newRow = true;
    endInsertRows();
    m_norms.append();
}

void NormsTable::dropNewRow() {
    if (!m_newRow)
        return;
    m_norms.cancel();
    m_dirty = false;
    m_changedFields.clear();
    beginRemoveRows({}, newRowIndex(), newRowIndex());
    m_newRow = false;
    endRemoveRows();
}

void NormsTable::cancelRow() {
    if (m_newRow) {
        dropNewRow();
        return;
    }
    const int row = m_norms.recNo() - 1;
    m_norms.cancel();
    m_dirty = false;
    m_changedFields.clear();
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

qint64 NormsTable::storeRow(Database& db, int operId) {
    if (!m_dirty)
        return m_norms.fieldByName(QStringLiteral("id")).asLargeInt();
    NormChange change;
    change.id = m_newRow ? 0 : m_norms.fieldByName(QStringLiteral("id")).asLargeInt();
    change.operationPriceId = operId;
    for (const QString& field : std::as_const(m_changedFields))
        change.values.insert(field, m_norms.value(field).value());
    qint64 stored = 0;
    try {
        stored = saveNorm(db, change);
    } catch (const StaleRowError&) {
        // The norm was deleted at another workstation: the grid shows the norms as they now are.
        // (A new row refused stays as typed.)
        if (!m_newRow) {
            m_norms.cancel();
            m_dirty = false;
            m_changedFields.clear();
            openFor(operId);
        }
        throw;
    }
    // Read again, so the grid stays sorted by norm with the stored row where it now belongs (the
    // pending new row goes only now that it is stored).
    // Nothing is pending any more before the grid hears of the rows changing.
    m_dirty = false;
    m_changedFields.clear();
    m_norms.cancel();
    openFor(operId, stored);
    return stored;
}

bool NormsTable::newRowLacksPrice() const {
    return m_newRow && m_norms.state() == EditTable::State::Insert &&
           m_norms.value(QStringLiteral("price")).value().isNull();
}

qint64 NormsTable::idAt(int row) const {
    return row >= 0 && row < m_norms.recordCount() ? m_norms.valueAt(row, QStringLiteral("id")).toLongLong()
                                                   : 0;
}

int NormsTable::rowOf(qint64 id) const {
    for (int r = 0; r < m_norms.recordCount(); ++r)
        if (m_norms.valueAt(r, QStringLiteral("id")).toLongLong() == id)
            return r;
    return -1;
}

int NormsTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_norms.recordCount() + (m_newRow ? 1 : 0);
}

QVariant NormsTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= m_columns.size())
        return {};
    const bool pendingNew = m_newRow && index.row() == newRowIndex();
    const bool pendingEdit =
        !m_newRow && m_norms.state() == EditTable::State::Edit && index.row() == m_norms.recNo() - 1;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const GridColumn& c = m_columns[index.column()];
    QVariant v;
    if (pendingNew)
        v = m_norms.state() == EditTable::State::Insert ? m_norms.value(c.field).value() : QVariant();
    else if (pendingEdit)
        v = m_norms.value(c.field).value();
    else
        v = m_norms.valueAt(index.row(), c.field);
    if (role == Qt::EditRole && c.field == QLatin1String("price"))
        return v.isNull() || !v.isValid() ? QString() : formatScreen(v.toDouble());
    return c.format(v);
}

Qt::ItemFlags NormsTable::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool NormsTable::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || index.column() >= m_columns.size())
        return false;
    const QString field = m_columns[index.column()].field;
    const QString text = value.toString().trimmed();
    const QString problem = normsCellProblem(field, text);
    if (!problem.isEmpty()) {
        seams::errorBox(problem);
        return false;
    }
    QVariant stored;
    if (!text.isEmpty()) {
        if (field == QLatin1String("price")) {
            double d = 0;
            parseNumber(text, &d);
            stored = d;
        } else {
            stored = text.toInt();
        }
    }
    const bool pendingNew = m_newRow && index.row() == newRowIndex();
    if (pendingNew) {
        if (m_norms.state() != EditTable::State::Insert)
            m_norms.append();
    } else {
        if (index.row() != m_norms.recNo() - 1) {
            m_norms.cancel();
            m_norms.setRecNo(index.row() + 1);
        }
        if (m_norms.state() != EditTable::State::Edit)
            m_norms.edit();
    }
    const QVariant before = m_norms.value(field).value();
    if (before.isNull() == stored.isNull() && (stored.isNull() || before.toDouble() == stored.toDouble()))
        return true;
    m_norms.setValue(field, stored);
    m_dirty = true;
    m_changedFields.insert(field);
    emit dataChanged(index, index);
    return true;
}

// ---- The grid ----------------------------------------------------------------------------

// A cell editor that is left (Tab, Enter, a click elsewhere) with a text the column refuses
// stays open with the text, after the message, so nothing typed is lost.
class NormsCellDelegate : public QStyledItemDelegate {
public:
    NormsCellDelegate(NormsTable& table, QObject* parent) : QStyledItemDelegate(parent), m_table(table) {}

protected:
    bool eventFilter(QObject* object, QEvent* e) override {
        auto* editor = qobject_cast<QLineEdit*>(object);
        const bool leavingByKey =
            e->type() == QEvent::KeyPress &&
            QList<int>{Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Up, Qt::Key_Down}
                .contains(static_cast<QKeyEvent*>(e)->key());
        const bool focusLost = e->type() == QEvent::FocusOut;
        if (editor && (leavingByKey || focusLost)) {
            const QString problem = normsCellProblem(m_table.columns().value(m_column).field, editor->text());
            if (!problem.isEmpty()) {
                // The focus going to another window (the message box itself) only keeps the
                // editor open; leaving the cell says why it may not be left.
                const Qt::FocusReason reason =
                    focusLost ? static_cast<QFocusEvent*>(e)->reason() : Qt::OtherFocusReason;
                if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
                    seams::errorBox(problem);
                    editor->setFocus();
                    editor->selectAll();
                }
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, e);
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        m_column = index.column();
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

private:
    NormsTable& m_table;
    mutable int m_column = 0;
};

void NormsGrid::commitEditor() {
    if (state() != EditingState)
        return;
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (w->parentWidget() == viewport()) {
            commitData(w);
            closeEditor(w, QAbstractItemDelegate::NoHint);
            return;
        }
}

// ---- The window --------------------------------------------------------------------------

NormsDialog::NormsDialog(Database& db, Dataset& operationPrices, QWidget* parent)
    : QDialog(parent), m_db(db), m_operationPrices(operationPrices) {
    setObjectName(QStringLiteral("NormsDialog"));
    makeFixedDialog(this);
    setWindowTitle(QStringLiteral("Норматив"));

    m_normsGrid = new NormsGrid(this);
    m_normsGrid->setObjectName(QStringLiteral("normsGrid"));
    m_normsGrid->setModel(&m_norms);
    m_normsGrid->setItemDelegate(new NormsCellDelegate(m_norms, m_normsGrid));
    m_normsGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_normsGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_normsGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed);
    QFont bold = m_normsGrid->horizontalHeader()->font();
    bold.setBold(true);
    m_normsGrid->horizontalHeader()->setFont(bold);
    m_normsGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_normsGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_normsGrid->verticalHeader()->setDefaultSectionSize(m_normsGrid->fontMetrics().height() + 6);
    m_normsGrid->verticalHeader()->setFixedWidth(18);
    m_normsGrid->setColumnWidth(0, 133);
    m_normsGrid->setColumnWidth(1, 105);
    m_normsGrid->setColumnWidth(2, 82);
    m_normsGrid->setMinimumSize(133 + 105 + 82 + 18 + 24, 200);
    m_normsGrid->installEventFilter(this);

    m_saveButton = new QPushButton(QStringLiteral("Сохранить"), this);
    m_saveButton->setObjectName(QStringLiteral("saveButton"));
    m_saveButton->setDefault(true);
    m_removeButton = new QPushButton(QStringLiteral("Удалить"), this);
    m_removeButton->setObjectName(QStringLiteral("removeButton"));
    m_removeButton->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_removeButton);
    buttons->addStretch();
    buttons->addWidget(m_saveButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_normsGrid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_saveButton, &QPushButton::clicked, this, &NormsDialog::save);
    connect(m_removeButton, &QPushButton::clicked, this, &NormsDialog::removeCurrent);
    connect(m_normsGrid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &NormsDialog::gridCurrentChanged);
    // Re-reading resets the grid; the columns keep their widths.
    connect(&m_norms, &QAbstractItemModel::modelReset, this, [this] {
        for (int i = 0; i < 3; ++i)
            m_normsGrid->setColumnWidth(i, m_norms.columns()[i].width);
    });
}

void NormsDialog::editNorms(int operationPriceId) {
    m_operationPriceId = operationPriceId;
    m_norms.openFor(operationPriceId);
    // An operation price without norms starts with a new row to type into.
    if (m_normRows.recordCount() == 0)
        m_norms.beginNewRow();
    setGridCurrent(m_normRows.recordCount() == 0 ? 0 : m_normRows.recNo() - 1, 0);
    enterCell();
    // Centred on the window that owns the lists (the main window) when it is shown.
    QWidget* owner = parentWidget();
    while (owner && owner->parentWidget())
        owner = owner->parentWidget();
    if (owner && owner->isVisible()) {
        adjustSize();
        move(owner->geometry().center() - rect().center());
    }
    seams::showModal(this);
}

void NormsDialog::setGridCurrent(int row, int column) {
    m_syncing = true;
    const QModelIndex idx = m_norms.index(row, column);
    if (idx.isValid())
        m_normsGrid->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect);
    else
        m_normsGrid->selectionModel()->clearCurrentIndex();
    m_syncing = false;
}

void NormsDialog::enterCell() {
    const QModelIndex at = m_normsGrid->currentIndex();
    if (m_norms.hasNewRow() && (!at.isValid() || at.row() == m_norms.newRowIndex()))
        return;
    if (at.isValid() && at.row() != m_normRows.recNo() - 1)
        m_normRows.setRecNo(at.row() + 1);
}

// Stores a changed row (a new row gets the operation price's id). When the database refuses,
// its message is shown, the row keeps what was typed and false is returned.
bool NormsDialog::storeChangedRow() {
    if (!m_norms.modified())
        return true;
    return runGuarded([this] { m_norms.storeRow(m_db, m_operationPriceId); });
}

void NormsDialog::gridCurrentChanged(const QModelIndex& now, const QModelIndex& previous) {
    if (m_syncing)
        return;
    const bool leftNewRow = m_norms.hasNewRow() && previous.isValid() &&
                            previous.row() == m_norms.newRowIndex() &&
                            (!now.isValid() || now.row() != previous.row());
    const int column = now.isValid() ? now.column() : 0;
    int row = now.isValid() ? now.row() : -1;
    // A new norm is stored once its price is typed; until then the user moves within its row.
    const bool newRowWaitsForPrice =
        m_norms.newRowLacksPrice() && previous.isValid() && row == previous.row();
    if (previous.isValid() && m_norms.modified() && !newRowWaitsForPrice) {
        const bool sameRow = row == previous.row();
        const bool toNewRow = m_norms.hasNewRow() && row == m_norms.newRowIndex() && !sameRow;
        // The row the user went to, by its id: the re-read after the store may move it.
        const qint64 targetId = sameRow ? 0 : m_norms.idAt(row);
        if (!storeChangedRow()) {
            // Back to the cell that was left, with the row as typed.
            setGridCurrent(previous.row(), previous.column());
            return;
        }
        if (sameRow)
            row = m_norms.hasNewRow() ? m_norms.newRowIndex() : m_normRows.recNo() - 1;
        else if (toNewRow)
            row = m_norms.newRowIndex();
        else if (targetId != 0)
            row = m_norms.rowOf(targetId);
        setGridCurrent(row, column);
    } else if (leftNewRow) {
        // A new row left without typing anything is dropped.
        m_norms.dropNewRow();
        setGridCurrent(std::min(row, m_norms.rowCount() - 1), column);
    }
    enterCell();
}

// Down on the last norm, or Insert, begins a new row.
bool NormsDialog::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_normsGrid && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        const QModelIndex at = m_normsGrid->currentIndex();
        const bool onLastStored =
            at.isValid() && !m_norms.hasNewRow() && at.row() == m_normRows.recordCount() - 1;
        if ((key == Qt::Key_Down && onLastStored) || (key == Qt::Key_Insert && !m_norms.hasNewRow())) {
            const int column = at.isValid() ? at.column() : 0;
            if (!storeChangedRow())
                return true;
            m_norms.beginNewRow();
            m_normsGrid->setCurrentIndex(m_norms.index(m_norms.newRowIndex(), column));
            return true;
        }
        if (key == Qt::Key_Down && m_norms.hasNewRow() && at.row() == m_norms.newRowIndex())
            return true;
    }
    return QDialog::eventFilter(watched, e);
}

void NormsDialog::save() {
    m_normsGrid->commitEditor();
    if (m_norms.modified()) {
        // A refused row keeps the window open with what was typed.
        if (!storeChangedRow())
            return;
    } else {
        m_norms.dropNewRow();
    }
    const int at = m_operationPrices.recNo();
    m_operationPrices.close();
    runGuarded([this] { m_operationPrices.open(); });
    m_operationPrices.setRecNo(at);
    accept();
}

void NormsDialog::reject() {
    save();
}

void NormsDialog::removeCurrent() {
    m_normsGrid->commitEditor();
    const int column = m_normsGrid->currentIndex().isValid() ? m_normsGrid->currentIndex().column() : 0;
    if (m_norms.hasNewRow()) {
        m_norms.dropNewRow();
    } else {
        m_norms.cancelRow();
        // The last norm is kept without a word; a norm deleted elsewhere or a refusal is shown.
        // Either way the norms are read again below.
        const qint64 id = m_normRows.fieldByName(QStringLiteral("id")).asLargeInt();
        const int row = m_normRows.recNo();
        if (id != 0)
            runStoreCall([&] {
                // The row after the deleted one stays current (the one before, for the last row).
                if (deleteNorm(m_db, id, m_operationPriceId))
                    m_normRows.setRecNo(row < m_normRows.recordCount() ? row + 1 : row - 1);
            });
    }
    const qint64 keep = m_normRows.fieldByName(QStringLiteral("id")).asLargeInt();
    if (!runGuarded([&] { m_norms.openFor(m_operationPriceId, keep); }))
        return;
    if (m_normRows.recordCount() == 0)
        m_norms.beginNewRow();
    setGridCurrent(m_normRows.recordCount() == 0 ? 0 : m_normRows.recNo() - 1, column);
    enterCell();
}
