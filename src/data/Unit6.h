// Data module: the one database connection and the queries and commands that several
// windows share, with the duplicate (count) check and the decimal separator fix.
#pragma once

#include "Connection.h"
#include "Dataset.h"

#include <QObject>

class TDataModule6 : public QObject {
    Q_OBJECT
public:
    explicit TDataModule6(QObject* parent = nullptr);
    ~TDataModule6() override;

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

    // Opens the statement (one row with the column cnt) and, when cnt > 0, shows the message
    // as a refusal and returns true.
    bool countCheck(const QString& sql, const QString& message);

    // The number text as typed, with its first "," (or else its first ".") replaced by the
    // database separator.
    QString separatorFix(const QString& text) const;

    // The statement texts of the shared queries, as the windows and tests compare them.
    static QString smenaSql(int shift);
    static QString hTabelSql(int shift);
    static QString operSql();
};

extern TDataModule6* DataModule6;
