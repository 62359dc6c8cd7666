// Norms window "Норматив": the norms of one operation price (norm quantity, piece price, bonus
// percent), edited in place in a grid.
#include "refbooks/NormsDialog.h"

#include "data/Database.h"
#include "data/Format.h"
#include "ui/Seams.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

NormsDialog* g_normsDialog = nullptr;

// ---- The norms table ---------------------------------------------------------------------

namespace {

QString integerText(const QVariant& v) {
    return v.isNull() || !v.isValid() ? QString() : QString::number(v.toLongLong());
}

} // namespace

TNormTable::TNormTable(QObject* parent) : EditTable(parent) {
    setTableName(QStringLiteral("accounts_dep.norm"));
    setKeyField(QStringLiteral("id"));
    setSql(QStringLiteral("select * from accounts_dep.norm where o_id=:o_id order by norma, id"));
    setColumns({
        GridColumn{QStringLiteral("norma"), QStringLiteral("Норматив"), 133, integerText},
        GridColumn{QStringLiteral("price"), QStringLiteral("Цена"), 105, priceText},
        GridColumn{QStringLiteral("prize"), QStringLiteral("Премия, %"), 82, integerText},
    });
}

QString TNormTable::priceText(const QVariant& v) {
    if (v.isNull() || !v.isValid())
        return QString();
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    QString t = loc.toString(roundHalfEven(v.toDouble(), 3), 'f', 3);
    if (t.endsWith(u'0'))
        t.chop(1);
    return t;
}

void TNormTable::openFor(int operId, qint64 keepId) {
    if (newRow) {
        beginRemoveRows({}, newRowIndex(), newRowIndex());
        newRow = false;
        endRemoveRows();
    }
    dirty = false;
    setParam(QStringLiteral("o_id"), operId);
    open();
    if (keepId)
        locate(QStringLiteral("id"), keepId);
}

void TNormTable::beginNewRow() {
    if (newRow)
        return;
    cancel();
    dirty = false;
    beginInsertRows({}, newRowIndex(), newRowIndex());
    newRow = true;
    endInsertRows();
    append();
}

void TNormTable::dropNewRow() {
    if (!newRow)
        return;
    cancel();
    dirty = false;
    beginRemoveRows({}, newRowIndex(), newRowIndex());
    newRow = false;
    endRemoveRows();
}

void TNormTable::cancelRow() {
    if (newRow) {
        dropNewRow();
        return;
    }
    const int row = recNo() - 1;
    cancel();
    dirty = false;
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void TNormTable::storeRow(int operId) {
    if (!dirty)
        return;
    if (newRow) {
        setValue(QStringLiteral("o_id"), operId);
        // The new row becomes a stored one: post() adds it at the end of the grid's rows.
        beginRemoveRows({}, newRowIndex(), newRowIndex());
        newRow = false;
        endRemoveRows();
    }
    post();
    dirty = false;
}

int TNormTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Dataset::rowCount() + (newRow ? 1 : 0);
}

QVariant TNormTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= gridColumns.size())
        return {};
    const bool pendingNew = newRow && index.row() == newRowIndex();
    const bool pendingEdit = !newRow && state() == State::Edit && index.row() == recNo() - 1;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const GridColumn& c = gridColumns[index.column()];
    QVariant v;
    if (pendingNew)
        v = state() == State::Insert ? value(c.field).value() : QVariant();
    else if (pendingEdit)
        v = value(c.field).value();
    else
        v = valueAt(index.row(), c.field);
    if (role == Qt::EditRole && c.field == QLatin1String("price"))
        return v.isNull() || !v.isValid() ? QString() : formatScreen(v.toDouble());
    return c.format(v);
}

Qt::ItemFlags TNormTable::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool TNormTable::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || index.column() >= gridColumns.size())
        return false;
    const QString field = gridColumns[index.column()].field;
    const QString text = value.toString().trimmed();
    QVariant stored;
    if (!text.isEmpty()) {
        if (field == QLatin1String("price")) {
            double d = 0;
            if (!parseNumber(text, &d)) {
                seams::errorBox(QStringLiteral("«%1» не является числом").arg(text));
                return false;
            }
            stored = d;
        } else {
            bool ok = false;
            const int n = text.toInt(&ok);
            if (!ok) {
                seams::errorBox(QStringLiteral("«%1» не является целым числом").arg(text));
                return false;
            }
            stored = n;
        }
    }
    const bool pendingNew = newRow && index.row() == newRowIndex();
    if (pendingNew) {
        if (state() != State::Insert)
            append();
    } else {
        if (index.row() != recNo() - 1) {
            cancel();
            setRecNo(index.row() + 1);
        }
        if (state() != State::Edit)
            edit();
    }
    const QVariant before = EditTable::value(field).value();
    if (before.isNull() == stored.isNull() && (stored.isNull() || before.toDouble() == stored.toDouble()))
        return true;
    setValue(field, stored);
    dirty = true;
    emit dataChanged(index, index);
    return true;
}

// ---- The grid ----------------------------------------------------------------------------

void TNormGrid::commitEditor() {
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

NormsDialog::NormsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("NormsDialog"));
    setWindowTitle(QStringLiteral("Норматив"));

    DBGrid1 = new TNormGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(&Norm);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    DBGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    QFont bold = DBGrid1->horizontalHeader()->font();
    bold.setBold(true);
    DBGrid1->horizontalHeader()->setFont(bold);
    DBGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
    DBGrid1->verticalHeader()->setFixedWidth(18);
    DBGrid1->setColumnWidth(0, 133);
    DBGrid1->setColumnWidth(1, 105);
    DBGrid1->setColumnWidth(2, 82);
    DBGrid1->setMinimumSize(133 + 105 + 82 + 18 + 24, 200);
    DBGrid1->installEventFilter(this);

    Button1 = new QPushButton(QStringLiteral("Сохранить"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Удалить"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button2);
    buttons->addStretch();
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DBGrid1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Button1, &QPushButton::clicked, this, &NormsDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &NormsDialog::Button2Click);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &NormsDialog::gridCurrentChanged);
    // Re-reading resets the grid; the columns keep their widths.
    connect(&Norm, &QAbstractItemModel::modelReset, this, [this] {
        for (int i = 0; i < 3; ++i)
            DBGrid1->setColumnWidth(i, Norm.columns()[i].width);
    });
}

NormsDialog::~NormsDialog() {
    if (g_normsDialog == this)
        g_normsDialog = nullptr;
}

void NormsDialog::openNorms(int operId) {
    OperId = operId;
    Norm.openFor(operId);
    // An operation price without norms starts with a new row to type into.
    if (Norm.recordCount() == 0)
        Norm.beginNewRow();
    setGridCurrent(Norm.recordCount() == 0 ? 0 : Norm.recNo() - 1, 0);
    DBGrid1ColEnter();
    // Centred on the main window when there is one.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("MainWindow") && w->isVisible()) {
            adjustSize();
            move(w->geometry().center() - rect().center());
            break;
        }
    seams::showModal(this);
}

void NormsDialog::setGridCurrent(int row, int column) {
    syncing = true;
    const QModelIndex idx = Norm.index(row, column);
    if (idx.isValid())
        DBGrid1->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect);
    else
        DBGrid1->selectionModel()->clearCurrentIndex();
    syncing = false;
}

// Entering a cell: the new row or a stored norm becomes the row being edited.
void NormsDialog::DBGrid1ColEnter() {
    const QModelIndex at = DBGrid1->currentIndex();
    if (Norm.hasNewRow() && (!at.isValid() || at.row() == Norm.newRowIndex())) {
        NewRow = true;
        return;
    }
    NewRow = false;
    if (at.isValid() && at.row() != Norm.recNo() - 1)
        Norm.setRecNo(at.row() + 1);
}

// Leaving a cell: a changed row is stored at once; a new row gets the operation price's id.
void NormsDialog::DBGrid1ColExit() {
    if (Norm.modified())
        Norm.storeRow(OperId);
}

void NormsDialog::gridCurrentChanged(const QModelIndex& now, const QModelIndex& previous) {
    if (syncing)
        return;
    const bool leftNewRow = Norm.hasNewRow() && previous.isValid() && previous.row() == Norm.newRowIndex() &&
                            (!now.isValid() || now.row() != previous.row());
    const int column = now.isValid() ? now.column() : 0;
    int row = now.isValid() ? now.row() : -1;
    if (previous.isValid() && Norm.modified()) {
        const bool toNewRow = Norm.hasNewRow() && row == Norm.newRowIndex();
        const bool fromNewRow = Norm.hasNewRow() && previous.row() == Norm.newRowIndex();
        DBGrid1ColExit();
        // The stored new row now is the last stored row, where the grid stood on it.
        if (fromNewRow && row == previous.row())
            row = Norm.recordCount() - 1;
        else if (toNewRow)
            row = Norm.newRowIndex();
        setGridCurrent(row, column);
    } else if (leftNewRow) {
        // A new row left without typing anything is dropped.
        Norm.dropNewRow();
        setGridCurrent(std::min(row, Norm.rowCount() - 1), column);
    }
    DBGrid1ColEnter();
}

// Down on the last norm, or Insert, begins a new row.
bool NormsDialog::eventFilter(QObject* watched, QEvent* e) {
    if (watched == DBGrid1 && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        const QModelIndex at = DBGrid1->currentIndex();
        const bool onLastStored = at.isValid() && !Norm.hasNewRow() && at.row() == Norm.recordCount() - 1;
        if ((key == Qt::Key_Down && onLastStored) || (key == Qt::Key_Insert && !Norm.hasNewRow())) {
            const int column = at.isValid() ? at.column() : 0;
            if (Norm.modified())
                Norm.storeRow(OperId);
            Norm.beginNewRow();
            DBGrid1->setCurrentIndex(Norm.index(Norm.newRowIndex(), column));
            return true;
        }
        if (key == Qt::Key_Down && Norm.hasNewRow() && at.row() == Norm.newRowIndex())
            return true;
    }
    return QDialog::eventFilter(watched, e);
}

void NormsDialog::Button1Click() {
    DBGrid1->commitEditor();
    if (Norm.modified())
        Norm.storeRow(OperId);
    else
        Norm.dropNewRow();
    Dataset& oper = g_database->operationPrices();
    const int at = oper.recNo();
    oper.close();
    oper.open();
    oper.setRecNo(at);
    accept();
}

void NormsDialog::reject() {
    Button1Click();
}

// Deletes the current norm without a question, but never the last one of the operation price.
// A new row not stored yet is only dropped.
void NormsDialog::Button2Click() {
    DBGrid1->commitEditor();
    const int column = DBGrid1->currentIndex().isValid() ? DBGrid1->currentIndex().column() : 0;
    if (Norm.hasNewRow()) {
        Norm.dropNewRow();
    } else {
        Norm.cancelRow();
        if (Norm.recordCount() > 1)
            Norm.remove();
    }
    const qint64 keep = Norm.fieldByName(QStringLiteral("id")).asLargeInt();
    Norm.openFor(OperId, keep);
    if (Norm.recordCount() == 0)
        Norm.beginNewRow();
    setGridCurrent(Norm.recordCount() == 0 ? 0 : Norm.recNo() - 1, column);
    DBGrid1ColEnter();
}
