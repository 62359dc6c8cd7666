// Datasets: a query held whole on the client (static cursor) with a current row, a
// client-side row filter and a grid model; an editable table over one table; a command.
#pragma once

#include "data/Sql.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QHash>
#include <QMetaType>
#include <QSet>
#include <QVector>
#include <functional>
#include <memory>

// One value of the current row. A closed or empty dataset reads numbers as 0.
class Field {
public:
    Field() = default;
    explicit Field(const QVariant& v) : val(v) {}
    bool isNull() const { return val.isNull() || !val.isValid(); }
    int asInteger() const;
    qint64 asLargeInt() const;
    double asFloat() const;
    QString asString() const;
    QDate asDate() const;
    QDateTime asDateTime() const;
    QVariant value() const { return val; }

private:
    QVariant val;
};

// How a grid shows one field.
struct GridColumn {
    QString field;
    QString title;
    int width = 0; // pixels; 0 leaves the view's default
    std::function<QString(const QVariant&)> format = {};
    Qt::Alignment alignment = {};
    // Further looks of a cell (font, colours) by role, from the cell's value.
    std::function<QVariant(const QVariant& value, int role)> style = {};
};

struct pg_conn;
struct pg_result;

class Dataset : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit Dataset(QObject* parent = nullptr, const QString& connection = kConnectionName);
    // Stops a statement that is still sending rows, so the connection is free for the next one.
    ~Dataset() override;

    // Statement text.
    void setSql(const QString& text) { sqlText = text; }
    QString sql() const { return sqlText; }

    void setParam(const QString& name, const QVariant& value) { paramValues[name] = value; }
    QVariant param(const QString& name) const { return paramValues.value(name); }

    // Runs the statement and fetches all rows; the first row becomes current.
    virtual void open();
    // Runs the statement and leaves its rows to come in through fetchMore() as the server sends
    // them, so that a long report can begin on its first rows while the server works on the rest.
    void openStreaming();
    // Sends the statement on another session of the same database (the connection named session)
    // and returns at once: the server works on it while this dataset's own session runs other
    // statements, and the next open() takes its rows. False, with nothing sent, when that session
    // is busy or cannot be had; open() then runs the statement on the dataset's own session.
    bool sendOnSession(const QString& session);
    // Fetches up to count more rows; false once every row is in. Throws DbError when the statement
    // fails on the way.
    bool fetchMore(int count);
    bool isFetching() const { return fetching; }
    // Stops an unfinished statement on the server and drops its rows (close() does it too).
    void close();
    bool isOpen() const { return opened; }

    int recordCount() const { return int(visible.size()); }
    int recNo() const { return cur < 0 ? 0 : cur + 1; } // 1-based; 0 when there is no row
    void setRecNo(int n);
    void first() { setRecNo(1); }
    void last() { setRecNo(recordCount()); }
    void next();
    void prior();
    bool isEmpty() const { return visible.isEmpty(); }
    bool eof() const { return atEof; }
    bool locate(const QString& field, const QVariant& value);

    // Field of the current row, by name without regard to case.
    Field fieldByName(const QString& name) const;
    bool hasField(const QString& name) const;
    QStringList fieldNames() const { return names; }

    // Client-side row filter: "col like 'text%'", "col like '%text%'", "col=42", "col='x'".
    void setFilter(const QString& f);
    QString filter() const { return filterText; }
    void setFiltered(bool on);
    bool isFiltered() const { return filterOn; }

    // The grid.
    void setColumns(const QList<GridColumn>& cols);
    QList<GridColumn> columns() const { return gridColumns; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;

    // Value of a field in a given row of the visible rows (0-based), for painting and reports.
    QVariant valueAt(int row, const QString& field) const;
    // Default screen text of a value of the given field.
    QString displayText(const QVariant& v, int fieldIndex) const;

signals:
    void currentRowChanged(int recNo);

protected:
    int fieldIndex(const QString& name) const;
    void fill(QSqlQuery& q);
    void readColumns(const QSqlQuery& q);
    QVector<QVariant> readRow(const QSqlQuery& q, int at) const;
    QVector<QVariant> readResultRow(const pg_result* res, int at) const;
    QVariant cellValue(const pg_result* res, int at, int column) const;
    // The rows read by read() replace those shown; the first that passes the filter is current.
    void showNewRows(const std::function<void()>& read);
    bool sendStatement(pg_conn* pg);
    void readResultColumns(const pg_result* res);
    bool takeSentRows();
    void dropSentStatement();
    pg_result* nextStreamResult();
    void showRowsFrom(int from);
    void cancelStatement();
    void applyFilter();
    // Indexes of rows from..end that pass the filter.
    QVector<int> acceptedRows(int from) const;
    void setCurrent(int visibleIndex);
    QSqlDatabase db() const;

    QString connName;
    QString sqlText;
    Params paramValues;
    std::unique_ptr<QSqlQuery> query; // the last statement, kept prepared for the next open
    QString preparedText;
    quint64 preparedSession = 0; // the connection's session the statement was prepared in
    bool opened = false;
    bool fetching = false;
    pg_conn* streamConn = nullptr; // the connection a statement streams its rows on
    pg_conn* sentConn = nullptr;   // the other session a statement was sent on for the next open()
    QString sentSession;
    QVector<int> rawKinds; // how each column's text is read
    QStringList names;
    QVector<QMetaType> types;
    QHash<QString, int> nameIndex; // lower-case name → column
    QVector<QVector<QVariant>> rows;
    QVector<int> visible; // indexes into rows that pass the filter
    int cur = -1;         // index into visible
    bool atEof = true;
    QString filterText;
    bool filterOn = false;
    QList<GridColumn> gridColumns;
};

// A dataset over one table that appends, edits and removes rows, each as one statement by key.
class EditTable : public Dataset {
    Q_OBJECT
public:
    enum class State { Browse, Insert, Edit };
    explicit EditTable(QObject* parent = nullptr, const QString& connection = kConnectionName);

    void setTableName(const QString& t) { table = t; }
    QString tableName() const { return table; }
    // Key column of the table; empty uses the row's physical address (tables without a key).
    void setKeyField(const QString& k) { key = k; }

    // Opens the statement set with setSql, or the whole table when none is set.
    void open() override;

    void append();
    void edit();
    void setValue(const QString& field, const QVariant& value);
    void post();
    void cancel();
    void remove();
    State state() const { return st; }
    Field value(const QString& field) const;

private:
    QString keyColumn() const;
    QVector<QVariant> buffer;
    QSet<int> changed;
    State st = State::Browse;
    QString table;
    QString key = QStringLiteral("id");
};
