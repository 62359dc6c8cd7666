// Expressions of report fields: the parser and the evaluator with its SUM totals.
#include "reportengine/ReportExpression.h"

#include "reportengine/ReportDataSource.h"

#include <QHash>

namespace reportengine {

struct ReportExpression::Node {
    enum class Op {
        Number,
        Text,
        Field,
        Neg,
        Not,
        Add,
        Sub,
        Mul,
        Div,
        Eq,
        Ne,
        Lt,
        Gt,
        Le,
        Ge,
        And,
        Or,
        If,
        Str,
        Sum,
        Page,
        PageCount
    };
    Op op = Op::Number;
    double number = 0;
    QString text; // literal text or field name
    int field = -1;
    int slot = -1;
    std::vector<std::unique_ptr<Node>> args;
};

using Node = ReportExpression::Node;
using Op = Node::Op;

class ExpressionParser {
public:
    ExpressionParser(const QString& text, ReportExpression& target) : m_text(text), m_expr(target) {}

    std::unique_ptr<Node> parseAll() {
        auto node = parseOr();
        skipBlanks();
        if (m_pos < m_text.size())
            fail(QStringLiteral("лишний текст"));
        return node;
    }

private:
    const QString& m_text;
    ReportExpression& m_expr;
    int m_pos = 0;
    int m_sumDepth = 0;

    [[noreturn]] void fail(const QString& what) const {
        throw ReportError(QStringLiteral("Ошибка в выражении \"%1\" (позиция %2): %3")
                              .arg(m_text)
                              .arg(m_pos + 1)
                              .arg(what));
    }

    void skipBlanks() {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
    }

    bool accept(const char* token) {
        skipBlanks();
        const QLatin1String t(token);
        if (m_text.mid(m_pos, t.size()) != t)
            return false;
        m_pos += int(t.size());
        return true;
    }

    // A keyword operator such as AND: a whole word, matched without regard to case.
    bool acceptWord(const char* word) {
        skipBlanks();
        const QLatin1String w(word);
        if (m_text.mid(m_pos, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        const int end = m_pos + int(w.size());
        if (end < m_text.size() && (m_text[end].isLetterOrNumber() || m_text[end] == '_'))
            return false;
        m_pos = end;
        return true;
    }

    void expect(const char* token) {
        if (!accept(token))
            fail(QStringLiteral("ожидается \"%1\"").arg(QLatin1String(token)));
    }

    static std::unique_ptr<Node> make(Op op, std::unique_ptr<Node> a = {}, std::unique_ptr<Node> b = {}) {
        auto n = std::make_unique<Node>();
        n->op = op;
        if (a)
            n->args.push_back(std::move(a));
        if (b)
            n->args.push_back(std::move(b));
        return n;
    }

    std::unique_ptr<Node> parseOr() {
        auto left = parseAnd();
        while (acceptWord("or"))
            left = make(Op::Or, std::move(left), parseAnd());
        return left;
    }

    std::unique_ptr<Node> parseAnd() {
        auto left = parseNot();
        while (acceptWord("and"))
            left = make(Op::And, std::move(left), parseNot());
        return left;
    }

    std::unique_ptr<Node> parseNot() {
        if (acceptWord("not"))
            return make(Op::Not, parseNot());
        return parseComparison();
    }

    std::unique_ptr<Node> parseComparison() {
        auto left = parseAdditive();
        // Longer operators first, so that "<=" is not read as "<" followed by "=".
        static const std::pair<const char*, Op> ops[] = {{"<>", Op::Ne}, {"<=", Op::Le}, {">=", Op::Ge},
                                                         {"=", Op::Eq},  {"<", Op::Lt},  {">", Op::Gt}};
        for (const auto& [token, op] : ops)
            if (accept(token))
                return make(op, std::move(left), parseAdditive());
        return left;
    }

    std::unique_ptr<Node> parseAdditive() {
        auto left = parseTerm();
        for (;;) {
            if (accept("+"))
                left = make(Op::Add, std::move(left), parseTerm());
            else if (accept("-"))
                left = make(Op::Sub, std::move(left), parseTerm());
            else
                return left;
        }
    }

    std::unique_ptr<Node> parseTerm() {
        auto left = parseUnary();
        for (;;) {
            if (accept("*"))
                left = make(Op::Mul, std::move(left), parseUnary());
            else if (accept("/"))
                left = make(Op::Div, std::move(left), parseUnary());
            else
                return left;
        }
    }

    std::unique_ptr<Node> parseUnary() {
        if (accept("-"))
            return make(Op::Neg, parseUnary());
        if (accept("+"))
            return parseUnary();
        return parsePrimary();
    }

    std::unique_ptr<Node> parsePrimary() {
        skipBlanks();
        if (m_pos >= m_text.size())
            fail(QStringLiteral("выражение обрывается"));
        const QChar c = m_text[m_pos];
        if (accept("(")) {
            auto inner = parseOr();
            expect(")");
            return inner;
        }
        if (c == '\'')
            return parseText();
        if (c.isDigit() || (c == '.' && m_pos + 1 < m_text.size() && m_text[m_pos + 1].isDigit()))
            return parseNumber();
        if (c.isLetter() || c == '_')
            return parseName();
        fail(QStringLiteral("неожиданный знак \"%1\"").arg(c));
    }

    std::unique_ptr<Node> parseText() {
        ++m_pos; // opening quote
        QString text;
        for (;;) {
            if (m_pos >= m_text.size())
                fail(QStringLiteral("нет закрывающей кавычки"));
            if (m_text[m_pos] == '\'') {
                if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\'') {
                    text += QLatin1Char('\'');
                    m_pos += 2;
                    continue;
                }
                ++m_pos;
                break;
            }
            text += m_text[m_pos++];
        }
        auto n = make(Op::Text);
        n->text = text;
        return n;
    }

    std::unique_ptr<Node> parseNumber() {
        const int start = m_pos;
        while (m_pos < m_text.size() && (m_text[m_pos].isDigit() || m_text[m_pos] == '.'))
            ++m_pos;
        if (m_pos < m_text.size() && (m_text[m_pos] == 'e' || m_text[m_pos] == 'E')) {
            int p = m_pos + 1;
            if (p < m_text.size() && (m_text[p] == '+' || m_text[p] == '-'))
                ++p;
            if (p < m_text.size() && m_text[p].isDigit()) {
                m_pos = p;
                while (m_pos < m_text.size() && m_text[m_pos].isDigit())
                    ++m_pos;
            }
        }
        bool ok = false;
        const double v = m_text.mid(start, m_pos - start).toDouble(&ok);
        if (!ok) {
            m_pos = start;
            fail(QStringLiteral("неверное число"));
        }
        auto n = make(Op::Number);
        n->number = v;
        return n;
    }

    std::unique_ptr<Node> parseName() {
        const int start = m_pos;
        while (m_pos < m_text.size() &&
               (m_text[m_pos].isLetterOrNumber() || m_text[m_pos] == '_' || m_text[m_pos] == '.'))
            ++m_pos;
        const QString name = m_text.mid(start, m_pos - start);
        skipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == '(')
            return parseCall(name, start);
        auto n = make(Op::Field);
        n->text = name;
        m_expr.m_fields.push_back(n.get());
        return n;
    }

    std::unique_ptr<Node> parseCall(const QString& name, int start) {
        const QString upper = name.toUpper();
        Op op;
        int arity;
        if (upper == QLatin1String("IF")) {
            op = Op::If;
            arity = 3;
        } else if (upper == QLatin1String("STR")) {
            op = Op::Str;
            arity = 1;
        } else if (upper == QLatin1String("SUM")) {
            op = Op::Sum;
            arity = 1;
        } else if (upper == QLatin1String("PAGE") || upper == QLatin1String("PAGENUMBER")) {
            op = Op::Page;
            arity = 0;
        } else if (upper == QLatin1String("PAGECOUNT")) {
            op = Op::PageCount;
            arity = 0;
        } else {
            m_pos = start;
            fail(QStringLiteral("неизвестная функция %1").arg(name));
        }
        if (op == Op::Sum && m_sumDepth > 0) {
            m_pos = start;
            fail(QStringLiteral("SUM внутри SUM"));
        }
        expect("(");
        auto n = make(op);
        if (op == Op::Sum)
            ++m_sumDepth;
        for (int i = 0; i < arity; ++i) {
            if (i > 0)
                expect(",");
            n->args.push_back(parseOr());
        }
        if (op == Op::Sum) {
            --m_sumDepth;
            m_expr.m_aggregates.push_back(n.get());
        }
        if (op == Op::PageCount)
            m_expr.m_usesPageCount = true;
        expect(")");
        return n;
    }
};

ReportExpression::ReportExpression() = default;
ReportExpression::ReportExpression(ReportExpression&&) noexcept = default;
ReportExpression& ReportExpression::operator=(ReportExpression&&) noexcept = default;
ReportExpression::~ReportExpression() = default;

ReportExpression ReportExpression::parse(const QString& text) {
    ReportExpression e;
    e.m_text = text;
    ExpressionParser parser(e.m_text, e);
    e.m_root = parser.parseAll();
    return e;
}

void ReportExpression::bind(const ReportDataSource& source) {
    for (Node* n : m_fields) {
        n->field = source.fieldIndex(n->text);
        const int dot = int(n->text.lastIndexOf(QLatin1Char('.')));
        if (n->field < 0 && dot >= 0) // "t_Report.fio": the dataset's name is not part of the field's
            n->field = source.fieldIndex(n->text.mid(dot + 1));
        if (n->field < 0)
            throw ReportError(QStringLiteral("Нет поля \"%1\" в выражении \"%2\"").arg(n->text, m_text));
    }
}

void ReportExpression::setAggregateSlot(int aggregate, int slot) {
    m_aggregates.at(aggregate)->slot = slot;
}

int ReportExpression::aggregateSlot(int aggregate) const {
    return m_aggregates.at(aggregate)->slot;
}

namespace {

using T = ReportValue::Type;

bool asNumber(const ReportValue& v, double& out) {
    switch (v.type) {
    case T::Null:
        out = 0;
        return true;
    case T::Number:
    case T::Bool:
        out = v.number;
        return true;
    case T::Text: {
        bool ok = false;
        out = v.text.trimmed().toDouble(&ok);
        return ok;
    }
    case T::Invalid:
        break;
    }
    return false;
}

QString asText(const ReportValue& v) {
    return displayText(v);
}

bool isTrue(const ReportValue& v) {
    switch (v.type) {
    case T::Text:
        return !v.text.isEmpty();
    case T::Null:
    case T::Invalid:
        return false;
    default:
        return v.number != 0;
    }
}

// -1, 0, 1; numbers compare as numbers, texts as texts, a number with a text as numbers when the
// text reads as one and as texts otherwise.
int compareValues(const ReportValue& a, const ReportValue& b) {
    double x, y;
    const bool bothText = a.type == T::Text && b.type == T::Text;
    if (!bothText && asNumber(a, x) && asNumber(b, y))
        return x < y ? -1 : (x > y ? 1 : 0);
    const int c = QString::compare(asText(a), asText(b), Qt::CaseSensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

class Evaluator {
public:
    explicit Evaluator(const ExpressionContext& c) : m_ctx(c) {}

    ReportValue eval(const Node& n) const {
        switch (n.op) {
        case Op::Number:
            return ReportValue::of(n.number);
        case Op::Text:
            return ReportValue::of(n.text);
        case Op::Field:
            return m_ctx.field(n.field);
        case Op::Sum:
            return ReportValue::of(m_ctx.aggregate(n.slot));
        case Op::Page:
            return ReportValue::of(double(m_ctx.pageNumber()));
        case Op::PageCount:
            return ReportValue::of(double(m_ctx.pageCount()));
        case Op::If: {
            const ReportValue c = eval(*n.args[0]);
            if (c.type == T::Invalid)
                return c;
            return eval(*n.args[isTrue(c) ? 1 : 2]);
        }
        case Op::Str: {
            const ReportValue v = eval(*n.args[0]);
            if (v.type == T::Invalid)
                return v;
            return ReportValue::of(asText(v));
        }
        case Op::Not: {
            const ReportValue v = eval(*n.args[0]);
            return v.type == T::Invalid ? v : ReportValue::of(!isTrue(v));
        }
        case Op::Neg: {
            const ReportValue v = eval(*n.args[0]);
            double x;
            return asNumber(v, x) ? ReportValue::of(-x) : ReportValue::invalid();
        }
        case Op::And:
        case Op::Or: {
            const ReportValue a = eval(*n.args[0]);
            if (a.type == T::Invalid)
                return a;
            if (isTrue(a) == (n.op == Op::Or)) // short cut: true OR ..., false AND ...
                return ReportValue::of(isTrue(a));
            const ReportValue b = eval(*n.args[1]);
            return b.type == T::Invalid ? b : ReportValue::of(isTrue(b));
        }
        default:
            return binary(n);
        }
    }

private:
    const ExpressionContext& m_ctx;

    ReportValue binary(const Node& n) const {
        const ReportValue a = eval(*n.args[0]);
        const ReportValue b = eval(*n.args[1]);
        if (a.type == T::Invalid || b.type == T::Invalid)
            return ReportValue::invalid();
        switch (n.op) {
        case Op::Eq:
            return ReportValue::of(compareValues(a, b) == 0);
        case Op::Ne:
            return ReportValue::of(compareValues(a, b) != 0);
        case Op::Lt:
            return ReportValue::of(compareValues(a, b) < 0);
        case Op::Gt:
            return ReportValue::of(compareValues(a, b) > 0);
        case Op::Le:
            return ReportValue::of(compareValues(a, b) <= 0);
        case Op::Ge:
            return ReportValue::of(compareValues(a, b) >= 0);
        default:
            break;
        }
        if (n.op == Op::Add && (a.type == T::Text || b.type == T::Text))
            return ReportValue::of(asText(a) + asText(b));
        double x, y;
        if (!asNumber(a, x) || !asNumber(b, y))
            return ReportValue::invalid();
        switch (n.op) {
        case Op::Add:
            return ReportValue::of(x + y);
        case Op::Sub:
            return ReportValue::of(x - y);
        case Op::Mul:
            return ReportValue::of(x * y);
        case Op::Div:
            if (y == 0)
                return ReportValue::invalid();
            return ReportValue::of(x / y);
        default:
            return ReportValue::invalid();
        }
    }
};

} // namespace

ReportValue ReportExpression::evaluate(const ExpressionContext& context) const {
    if (!m_root)
        return ReportValue::null();
    return Evaluator(context).eval(*m_root);
}

ReportValue ReportExpression::evaluateAggregateArgument(int aggregate,
                                                        const ExpressionContext& context) const {
    return Evaluator(context).eval(*m_aggregates.at(aggregate)->args[0]);
}

namespace {

class MapContext : public ExpressionContext {
public:
    QVector<ReportValue> values;
    ReportValue field(int index) const override { return values.value(index); }
    double aggregate(int) const override { return 0; }
};

class MapSource : public ReportDataSource {
public:
    QStringList names;
    int rowCount() const override { return 0; }
    int fieldIndex(const QString& name) const override {
        for (int i = 0; i < names.size(); ++i)
            if (names[i].compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    QVariant value(int, int) const override { return {}; }
};

} // namespace

ReportValue evaluateExpression(const QString& text, const QVariantMap& fields) {
    ReportExpression e = ReportExpression::parse(text);
    MapSource source;
    MapContext context;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        source.names.append(it.key());
        context.values.append(ReportValue::fromVariant(it.value()));
    }
    e.bind(source);
    return e.evaluate(context);
}

} // namespace reportengine
