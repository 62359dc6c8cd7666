// Data module: the one database connection and the queries and commands that several
// windows share, with the duplicate (count) check and the decimal separator fix.
#pragma once

#include "data/Connection.h"
#include "data/Dataset.h"

#include <QObject>

class Database : public QObject {
    Q_OBJECT
public:
    explicit Database(QObject* parent = nullptr);
    ~Database() override;

    Connection ADO_DB{kConnectionName};

    Dataset Workers;
    Dataset Control;
    Dataset Izdel;
    Dataset Oper;
    Dataset Vid_oper;
    Dataset Smena1, Smena2, Smena3, Smena4;
    Dataset H_Tabel_1, H_Tabel_2, H_Tabel_3;

    Command DelSmena;
    Command H_Tabel_ins;
    Command Oper_ins;
    Command Oper_ed;
    Command Oper_del;
    Command SQL_exec;

    // Decimal separator of the database (accounts_dep.ver.delim); set by the version check.
    QString dbSeparator;

    // The journal query of a shift 1..4 (nullptr for any other number).
    Dataset* smenaQuery(int shift);

    // Runs one statement with its :name parameters bound as values; returns the number of rows
    // it touched. Throws DbError with the database's text.
    int execute(const QString& sql, const Params& values = {});
    // The first column of the first row of a statement (null when it gives no row).
    QVariant readValue(const QString& sql, const Params& values = {});
    // Whether the statement's one row has a column cnt above 0 (the duplicate check).
    bool countCheck(const QString& sql);

    // The number text as typed, with its first "," (or else its first ".") replaced by the
    // database separator.
    QString separatorFix(const QString& text) const;

    // The statement texts of the shared queries, as the windows and tests compare them.
    static QString smenaSql(int shift);
    static QString hTabelSql(int shift);
    static QString operSql();
};

extern Database* g_database;
