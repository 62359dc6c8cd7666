// Expressions of report fields: field names (without regard to case, an optional "dataset." prefix
// is ignored), numbers, 'texts' ('' inside is one quote), + - * /, parentheses, = <> < > <= >=, AND,
// OR, NOT, IF(condition, a, b), STR(number), SUM(expression), PAGE() and PAGECOUNT().
//
// + joins texts when either side is a text. Null fields count as 0 in arithmetic and as '' in texts.
// A division by zero gives an Invalid value, which every operation passes on and which prints as an
// empty cell, so one bad row never stops a report.
#pragma once

#include "reportengine/ReportFormat.h"

#include <memory>
#include <vector>

namespace reportengine {

class ReportDataSource;

// What an expression reads while it is evaluated.
class ExpressionContext {
public:
    virtual ~ExpressionContext() = default;
    virtual ReportValue field(int index) const = 0; // the current row's value of a bound field
    virtual double aggregate(int slot) const = 0;   // the running value of a SUM
    virtual int pageNumber() const { return 0; }
    virtual int pageCount() const { return 0; }
};

class ReportExpression {
public:
    struct Node;

    ReportExpression();
    ReportExpression(ReportExpression&&) noexcept;
    ReportExpression& operator=(ReportExpression&&) noexcept;
    ~ReportExpression();

    // Throws ReportError with the position of the fault.
    static ReportExpression parse(const QString& text);

    // Looks up every field name in the source; throws ReportError on an unknown one.
    void bind(const ReportDataSource& source);

    ReportValue evaluate(const ExpressionContext& context) const;

    // The SUMs of the expression. The caller keeps one running value ("slot") per SUM, adds the
    // argument's value for every row and hands the slot's value back through the context.
    int aggregateCount() const { return int(m_aggregates.size()); }
    void setAggregateSlot(int aggregate, int slot);
    int aggregateSlot(int aggregate) const;
    ReportValue evaluateAggregateArgument(int aggregate, const ExpressionContext& context) const;

    bool usesPageCount() const { return m_usesPageCount; }
    QString text() const { return m_text; }

private:
    QString m_text;
    std::unique_ptr<Node> m_root;
    std::vector<Node*> m_aggregates;
    std::vector<Node*> m_fields;
    bool m_usesPageCount = false;
    friend class ExpressionParser;
};

// Evaluates a stand-alone expression over named values; handy for tests and simple callers.
ReportValue evaluateExpression(const QString& text, const QVariantMap& fields = {});

} // namespace reportengine
