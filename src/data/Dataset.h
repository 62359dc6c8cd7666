// Datasets: a query held whole on the client (static cursor) with a current row and a
// client-side row filter, announcing its changes by signals; an editable table over one table.
#pragma once

#include "data/PgRowReader.h"
#include "data/PgStatement.h"
#include "data/Sql.h"

#include <QDate>
#include <QHash>
#include <QMetaType>
#include <QObject>
#include <QSet>
#include <QVector>
#include <functional>
#include <memory>

class PgAnswer;

// One value of the current row. A closed or empty dataset reads numbers as 0.
class Field {
public:
    Field() = default;
    explicit Field(const QVariant& v) : m_value(v) {}
    bool isNull() const { return m_value.isNull() || !m_value.isValid(); }
    int asInteger() const;
    qint64 asLargeInt() const;
    double asFloat() const;
    QString asString() const;
    QDate asDate() const;
    QDateTime asDateTime() const;
    QVariant value() const { return m_value; }

private:
    QVariant m_value;
};

// The rows of a statement with a current row. Whatever shows them (a grid's model) follows the
// signals: every change of the visible rows is announced before and after it is made.
class Dataset : public QObject {
    Q_OBJECT
public:
    explicit Dataset(QObject* parent = nullptr, const QString& connection = kConnectionName);
    // Stops a statement that is still sending rows, so the connection is free for the next one.
    ~Dataset() override;

    // Statement text.
    void setSql(const QString& text) { m_sql = text; }
    QString sql() const { return m_sql; }

    void setParam(const QString& name, const QVariant& value) { m_params[name] = value; }
    QVariant param(const QString& name) const { return m_params.value(name); }

    // Runs the statement and fetches all rows; the first row becomes current.
    virtual void open();
    // Runs the statement and leaves its rows to come in through fetchMore() as the server sends
    // them, so that a long report can begin on its first rows while the server works on the rest.
    void openStreaming();
    // Shows rows of an answer another statement read, each read from the answer only when it is
    // first asked for: answerRows are the answer's rows in the order shown, columns the answer's
    // column behind each of names.
    void showAnswerRows(const QStringList& names, const QVector<QMetaType>& types,
                        std::shared_ptr<const PgAnswer> answer, QVector<int> answerRows,
                        QVector<int> columns);
    // Fetches up to count more rows; false once every row is in. Throws DbError when the statement
    // fails on the way.
    bool fetchMore(int count);
    bool isFetching() const { return m_statement.hasMoreRows(); }
    // Stops an unfinished statement on the server and drops its rows (close() does it too).
    void close();
    bool isOpen() const { return m_open; }

    int recordCount() const { return int(m_visible.size()); }
    int recNo() const { return m_current < 0 ? 0 : m_current + 1; } // 1-based; 0 when there is no row
    void setRecNo(int n);
    void first() { setRecNo(1); }
    void last() { setRecNo(recordCount()); }
    void next();
    void prior();
    bool isEmpty() const { return m_visible.isEmpty(); }
    bool eof() const { return m_atEof; }
    bool locate(const QString& field, const QVariant& value);

    // Field of the current row, by name without regard to case.
    Field fieldByName(const QString& name) const;
    bool hasField(const QString& name) const;
    QStringList fieldNames() const { return m_names; }
    QVector<QMetaType> fieldTypes() const { return m_types; }

    // Client-side row filter: "col like 'text%'", "col like '%text%'", "col=42", "col='x'".
    void setFilter(const QString& f);
    QString filter() const { return m_filter; }
    void setFiltered(bool on);
    bool isFiltered() const { return m_filtered; }

    // Column of a field by name without regard to case; -1 when there is none.
    int fieldIndex(const QString& name) const;
    int fieldCount() const { return int(m_names.size()); }

    // Value of a field in a given row of the visible rows (0-based), for sums and searches: a row
    // shown from an answer is not read whole for it.
    QVariant valueAt(int row, const QString& field) const;
    // The same by column, for painting: the row is read whole, as its other cells are painted
    // too; an invalid value outside the rows or the columns.
    QVariant valueAt(int row, int column) const;
    // Default screen text of a value of the given field.
    QString displayText(const QVariant& v, int fieldIndex) const;

signals:
    // Every visible row is about to be replaced (a new read, a filter, a close) / has been.
    void rowsAboutToBeReplaced();
    void rowsReplaced();
    // Visible rows first..last (0-based) are about to join at the end / have joined (rows that
    // arrive from the server, a row appended by an editable table).
    void rowsAboutToBeAppended(int first, int last);
    void rowsAppended(int first, int last);
    // A visible row (0-based) is about to go / has gone (a row removed by an editable table).
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    // The values of a visible row (0-based) changed (a row stored by an editable table).
    void rowChanged(int row);
    void currentRowChanged(int recNo);

protected:
    // The rows read by read() replace those shown; the first that passes the filter is current.
    void showNewRows(const std::function<void()>& read);
    void setCurrent(int visibleIndex);
    QSqlDatabase db() const;
    // The values of a row (an index into m_rows), read from the answer behind it first when they
    // are not read yet.
    const QVector<QVariant>& rowValues(int index) const;
    // One value of a row, read from the answer alone when the row is not read yet (a search or
    // a filter looks at one column of every row).
    QVariant cell(int index, int column) const;
    // Drops a row (an index into m_rows) that is gone from the table.
    void dropRow(int index);

    QString m_connectionName;
    QString m_sql;
    QStringList m_names;
    QVector<QMetaType> m_types;
    // The rows; a row shown from an answer stays empty until it is first read (rowValues).
    mutable QVector<QVector<QVariant>> m_rows;
    QVector<int> m_visible; // indexes into m_rows that pass the filter
    int m_current = -1;     // index into m_visible
    bool m_open = false;

private:
    void fill(QSqlQuery& q);
    // Takes the columns of newly read rows; the rows themselves come after.
    void takeColumns(const QStringList& names, const QVector<QMetaType>& types);
    void showRowsFrom(int from);
    void cancelStatement();
    void applyFilter();
    // Indexes of rows from..end that pass the filter.
    QVector<int> acceptedRows(int from) const;

    Params m_params;
    std::unique_ptr<QSqlQuery> m_query; // the last statement, kept prepared for the next open
    QString m_preparedSql;
    quint64 m_preparedSession = 0; // the connection's session the statement was prepared in
    PgRowReader m_rowReader;       // reads the rows of m_query
    PgStatement m_statement;       // a statement streaming its rows
    // The answer behind rows shown by showAnswerRows: the answer's row behind each of m_rows and
    // its column behind each field.
    std::shared_ptr<const PgAnswer> m_answer;
    QVector<int> m_answerRows;
    QVector<int> m_answerColumns;
    QHash<QString, int> m_nameIndex; // lower-case name → column
    bool m_atEof = true;
    QString m_filter;
    bool m_filtered = false;
};

// A dataset over one table that appends, edits and removes rows, each as one statement by key.
class EditTable : public Dataset {
    Q_OBJECT
public:
    enum class State { Browse, Insert, Edit };
    explicit EditTable(QObject* parent = nullptr, const QString& connection = kConnectionName);

    void setTableName(const QString& t) { m_table = t; }
    QString tableName() const { return m_table; }
    // Key column of the table; empty uses the row's physical address (tables without a key).
    void setKeyField(const QString& k) { m_keyField = k; }

    // Opens the statement set with setSql, or the whole table when none is set.
    void open() override;

    void append();
    void edit();
    void setValue(const QString& field, const QVariant& value);
    void post();
    void cancel();
    void remove();
    State state() const { return m_state; }
    Field value(const QString& field) const;

private:
    QString keyColumn() const;
    QVector<QVariant> m_buffer; // the row being appended or edited
    QSet<int> m_changed;        // its columns set since
    State m_state = State::Browse;
    QString m_table;
    QString m_keyField = QStringLiteral("id");
};
