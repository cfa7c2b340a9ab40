// Expressions of the headless host (hx_parts.h): "name=formula" texts of a
// part, evaluated by a small recursive-descent parser.
//
// A formula is numbers, names of the part's expressions, references to
// another part's expressions (part::name, or "part"::name for a part name
// that is not a plain name), + - * / ^, unary signs, parentheses and the
// functions abs, sqrt, min, max, sin, cos and tan (degrees). Evaluation
// follows references depth-first; a circle of references fails with
// HX_ERR_CYCLE. A reference to a part that is not loaded leaves the
// referring expression at the value it had (as stored in its part file).
// Nesting (parentheses, references followed) is bounded, so a hostile
// formula from a part file cannot exhaust the stack.
#include "model.h"
#include "session_state.h"

#include "../src/host/hx_memory.h"
#include "../src/host/hx_parts.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>
#include <string_view>

using vexa::sim::Expression;
using vexa::sim::host_call;
using vexa::sim::Part;
using vexa::sim::tag_t;

namespace {

constexpr int max_nesting = 64;          // parentheses and unary signs in one formula
constexpr int max_reference_depth = 256; // references followed in one evaluation
constexpr std::size_t formula_size = 1024;

struct Failure : std::runtime_error {
    int status;
    Failure(int s, const std::string &why) : std::runtime_error(why), status(s) {}
};
// A reference into a part that is not loaded.
struct Unresolved {};

struct Reference {
    std::string part; // empty: the formula's own part
    std::string name;
};

class Evaluator;
// Are arithmetic faults (division by zero, square root of a negative
// number) errors? Not while checking syntax only, nor once a reference into
// a part that is not loaded has made the value moot.
bool strict_arithmetic(const Evaluator *evaluator);

class Parser {
  public:
    Parser(std::string_view text, Evaluator *evaluator, tag_t part, std::vector<Reference> *references)
        : s_(text), evaluator_(evaluator), part_(part), references_(references)
    {
    }
    double run()
    {
        double v = expression();
        skip();
        if (pos_ != s_.size())
            fail("unexpected \"" + std::string(s_.substr(pos_, 8)) + "\"");
        return v;
    }

  private:
    [[noreturn]] void fail(const std::string &why) const { throw Failure(HX_ERR_EXPRESSION, why); }
    void skip()
    {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t'))
            ++pos_;
    }
    bool take(char c)
    {
        skip();
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    struct Nest {
        Parser &p;
        explicit Nest(Parser &parser) : p(parser)
        {
            if (++p.depth_ > max_nesting)
                p.fail("the formula is nested too deeply");
        }
        ~Nest() { --p.depth_; }
    };

    double expression()
    {
        double v = term();
        for (;;) {
            if (take('+'))
                v += term();
            else if (take('-'))
                v -= term();
            else
                return v;
        }
    }
    double term()
    {
        double v = unary();
        for (;;) {
            if (take('*')) {
                v *= unary();
            } else if (take('/')) {
                double d = unary();
                if (d == 0.0 && strict_arithmetic(evaluator_))
                    fail("division by zero");
                v = d == 0.0 ? 0.0 : v / d;
            } else {
                return v;
            }
        }
    }
    double unary()
    {
        Nest nest(*this);
        if (take('-'))
            return -unary();
        if (take('+'))
            return unary();
        double base = primary();
        if (take('^'))
            return std::pow(base, unary());
        return base;
    }
    static bool name_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
    static bool name_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
    std::string name()
    {
        std::size_t start = pos_;
        while (pos_ < s_.size() && name_char(s_[pos_]))
            ++pos_;
        return std::string(s_.substr(start, pos_ - start));
    }
    double primary()
    {
        skip();
        if (pos_ == s_.size())
            fail("the formula ends too early");
        char c = s_[pos_];
        if (c == '(') {
            ++pos_;
            double v = expression();
            if (!take(')'))
                fail("a \")\" is missing");
            return v;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '.')
            return number();
        if (c == '"') {
            std::size_t close = s_.find('"', pos_ + 1);
            if (close == std::string_view::npos)
                fail("a quoted part name is not closed");
            std::string part(s_.substr(pos_ + 1, close - pos_ - 1));
            pos_ = close + 1;
            if (part.empty() || s_.substr(pos_, 2) != "::")
                fail("a quoted part name must be followed by ::name");
            pos_ += 2;
            if (pos_ >= s_.size() || !name_start(s_[pos_]))
                fail("a name must follow ::");
            return reference(part, name());
        }
        if (!name_start(c))
            fail("unexpected \"" + std::string(1, c) + "\"");
        std::string first = name();
        if (s_.substr(pos_, 2) == "::") {
            pos_ += 2;
            if (pos_ >= s_.size() || !name_start(s_[pos_]))
                fail("a name must follow ::");
            return reference(first, name());
        }
        if (take('('))
            return function(first);
        return reference({}, first);
    }
    double number()
    {
        std::size_t start = pos_;
        while (pos_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '.'))
            ++pos_;
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            std::size_t mark = pos_++;
            if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-'))
                ++pos_;
            if (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_])))
                while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_])))
                    ++pos_;
            else
                pos_ = mark;
        }
        double v = 0;
        auto [end, ec] = std::from_chars(s_.data() + start, s_.data() + pos_, v);
        if (ec != std::errc() || end != s_.data() + pos_)
            fail("\"" + std::string(s_.substr(start, pos_ - start)) + "\" is not a number");
        return v;
    }
    double function(const std::string &f)
    {
        std::vector<double> args{expression()};
        while (take(','))
            args.push_back(expression());
        if (!take(')'))
            fail("a \")\" is missing after the arguments of " + f);
        auto want = [&](std::size_t n) {
            if (args.size() != n)
                fail(f + " takes " + std::to_string(n) + " argument" + (n == 1 ? "" : "s"));
        };
        constexpr double degree = 3.14159265358979323846 / 180.0;
        if (f == "abs")
            return want(1), std::fabs(args[0]);
        if (f == "sqrt") {
            want(1);
            if (args[0] < 0 && strict_arithmetic(evaluator_))
                fail("the square root of a negative number");
            return std::sqrt(std::fabs(args[0]));
        }
        if (f == "sin")
            return want(1), std::sin(args[0] * degree);
        if (f == "cos")
            return want(1), std::cos(args[0] * degree);
        if (f == "tan")
            return want(1), std::tan(args[0] * degree);
        if (f == "min" || f == "max") {
            want(2);
            return f == "min" ? std::min(args[0], args[1]) : std::max(args[0], args[1]);
        }
        fail("unknown function " + f);
    }
    double reference(const std::string &part, const std::string &name);

    std::string_view s_;
    std::size_t pos_ = 0;
    int depth_ = 0;
    Evaluator *evaluator_;
    tag_t part_;
    std::vector<Reference> *references_;
};

Expression *expression_in(const Part &part, const std::string &name)
{
    for (tag_t tag : part.expressions)
        if (Expression *e = vexa::sim::find_expression(tag); e && e->name == name)
            return e;
    return nullptr;
}

class Evaluator {
  public:
    double value_of(const Expression &e)
    {
        if (auto it = done_.find(e.tag); it != done_.end())
            return it->second;
        if (active_.count(e.tag))
            throw Failure(HX_ERR_CYCLE, "the expression " + e.name + " depends on itself");
        if (active_.size() >= max_reference_depth)
            throw Failure(HX_ERR_EXPRESSION, "references are followed too deeply");
        active_.insert(e.tag);
        double v;
        try {
            v = formula(e.part, e.formula);
        } catch (const Unresolved &) {
            v = e.value;
        } catch (...) {
            active_.erase(e.tag);
            throw;
        }
        active_.erase(e.tag);
        done_[e.tag] = v;
        return v;
    }
    // A formula's value. A reference into a part that is not loaded makes
    // the whole formula unresolved, but only after the rest of it has been
    // checked, so a wrong name is reported even then.
    double formula(tag_t part, const std::string &text)
    {
        bool outer = unresolved_;
        unresolved_ = false;
        double v = 0;
        try {
            v = Parser(text, this, part, nullptr).run();
        } catch (...) {
            unresolved_ = outer;
            throw;
        }
        bool open = unresolved_;
        unresolved_ = outer;
        if (open)
            throw Unresolved{};
        if (!std::isfinite(v))
            throw Failure(HX_ERR_EXPRESSION, "the value is not finite");
        return v;
    }
    double reference(tag_t part, const std::string &part_name, const std::string &name)
    {
        Part *target =
            part_name.empty() ? vexa::sim::find_part(part) : vexa::sim::loaded_part_named(part_name);
        if (!target) {
            unresolved_ = true;
            return 1.0; // a stand-in: the formula's value is not used
        }
        Expression *e = expression_in(*target, name);
        if (!e)
            throw Failure(HX_ERR_EXPRESSION,
                          "there is no expression " + name + (part_name.empty() ? "" : " in " + part_name));
        return value_of(*e);
    }
    // The expression under evaluation counts as in progress, so a formula
    // naming it fails as a circle.
    void begin(tag_t self) { active_.insert(self); }
    const std::map<tag_t, double> &values() const { return done_; }
    bool unresolved() const { return unresolved_; }

  private:
    std::map<tag_t, double> done_;
    std::set<tag_t> active_;
    bool unresolved_ = false;
};

bool strict_arithmetic(const Evaluator *evaluator)
{
    return evaluator && !evaluator->unresolved();
}

double Parser::reference(const std::string &part, const std::string &name)
{
    if (references_)
        references_->push_back({part, name});
    return evaluator_ ? evaluator_->reference(part_, part, name) : 0.0;
}

// Splits "name=formula"; false for a text without '=' or a bad name.
bool split_text(const char *text, std::string &name, std::string &formula)
{
    const char *eq = std::strchr(text, '=');
    if (!eq)
        return false;
    auto trim = [](std::string_view v) {
        while (!v.empty() && (v.front() == ' ' || v.front() == '\t'))
            v.remove_prefix(1);
        while (!v.empty() && (v.back() == ' ' || v.back() == '\t'))
            v.remove_suffix(1);
        return std::string(v);
    };
    name = trim(std::string_view(text, static_cast<std::size_t>(eq - text)));
    formula = trim(eq + 1);
    return vexa::sim::valid_expression_name(name) && !formula.empty() && formula.size() <= formula_size;
}

// Evaluates a formula for an expression (which may be new): the value, or
// a Failure.
double evaluate_for(const Expression &e, const std::string &formula)
{
    Evaluator ev;
    ev.begin(e.tag);
    try {
        return ev.formula(e.part, formula);
    } catch (const Unresolved &) {
        return e.value;
    }
}

std::vector<Reference> references_of(const std::string &formula)
{
    std::vector<Reference> refs;
    try {
        Parser(formula, nullptr, 0, &refs).run();
    } catch (const Failure &) {
    }
    return refs;
}

// Is the expression named by some formula, feature or component?
bool in_use(const Expression &e)
{
    Part *owner = vexa::sim::find_part(e.part);
    for (Part *p : vexa::sim::loaded_parts_in_order()) {
        for (tag_t tag : p->expressions) {
            Expression *other = vexa::sim::find_expression(tag);
            if (!other || other == &e)
                continue;
            for (const Reference &r : references_of(other->formula)) {
                Part *target = r.part.empty() ? p : vexa::sim::loaded_part_named(r.part);
                if (target == owner && r.name == e.name)
                    return true;
            }
        }
    }
    if (owner) {
        for (tag_t tag : owner->model_objects)
            if (auto *o = vexa::sim::find_model_object(tag); o && o->suppression_expression == e.tag)
                return true;
        for (tag_t tag : owner->instances)
            if (auto *i = vexa::sim::find_instance(tag); i && i->suppression_expression == e.tag)
                return true;
    }
    return false;
}

std::string number_text(double value)
{
    char text[32];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    return ec == std::errc() ? std::string(text, end) : "0";
}

} // namespace

namespace vexa::sim {

bool valid_expression_name(const std::string &name)
{
    if (name.empty() || name.size() > 30 || std::isdigit(static_cast<unsigned char>(name[0])))
        return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
            return false;
    return true;
}

bool formula_syntax_ok(const std::string &formula, std::string &reason)
{
    if (formula.empty()) {
        reason = "the formula is empty";
        return false;
    }
    try {
        Parser(formula, nullptr, 0, nullptr).run();
        return true;
    } catch (const Failure &f) {
        reason = f.what();
        return false;
    }
}

int evaluate_formula(tag_t part, const std::string &formula, double &value, std::string &reason,
                     const Expression *self)
{
    try {
        if (self) {
            value = evaluate_for(*self, formula);
        } else {
            Evaluator ev;
            value = ev.formula(part, formula);
        }
        return HX_OK;
    } catch (const Failure &f) {
        reason = f.what();
        return f.status;
    } catch (const Unresolved &) {
        reason = "the formula names a part that is not loaded";
        return HX_ERR_EXPRESSION;
    }
}

int evaluate_all_expressions(std::string &reason)
{
    Evaluator ev;
    try {
        for (Part *p : loaded_parts_in_order())
            for (tag_t tag : p->expressions)
                if (Expression *e = find_expression(tag))
                    ev.value_of(*e);
    } catch (const Failure &f) {
        reason = f.what();
        return f.status;
    }
    for (auto [tag, value] : ev.values())
        if (Expression *e = find_expression(tag))
            e->value = value;
    return HX_OK;
}

tag_t set_expression(tag_t part, const std::string &name, double value)
{
    Part *p = find_part(part);
    if (!p || !valid_expression_name(name))
        return 0;
    Expression *e = expression_in(*p, name);
    if (!e) {
        e = &objects().create<Expression>();
        e->part = part;
        e->name = name;
        p->expressions.push_back(e->tag);
    }
    e->formula = number_text(value);
    e->value = value;
    return e->tag;
}

tag_t set_expression_formula(tag_t part, const std::string &name, const std::string &formula)
{
    Part *p = find_part(part);
    if (!p || !valid_expression_name(name) || formula.size() > formula_size)
        return 0;
    Expression *e = expression_in(*p, name);
    bool created = !e;
    if (created) {
        e = &objects().create<Expression>();
        e->part = part;
        e->name = name;
    }
    double value = 0;
    std::string why;
    if (evaluate_formula(part, formula, value, why, e) != HX_OK) {
        if (created)
            objects().erase(e->tag);
        return 0;
    }
    if (created)
        p->expressions.push_back(e->tag);
    e->formula = formula;
    e->value = value;
    return e->tag;
}

} // namespace vexa::sim

extern "C" {

HX_API int HX_MODL_ask_exp_tag(tag_t part, const char *name, tag_t *expression)
{
    return host_call("HX_MODL_ask_exp_tag", [&]() -> int {
        if (!name || !expression)
            return HX_ERR_BAD_ARGUMENT;
        *expression = 0;
        Part *p = vexa::sim::find_part(part);
        if (!p)
            return HX_ERR_NOT_FOUND;
        if (Expression *e = expression_in(*p, name))
            *expression = e->tag;
        return HX_OK;
    });
}

HX_API int HX_MODL_ask_exp_value(tag_t expression, double *value)
{
    return host_call("HX_MODL_ask_exp_value", [&]() -> int {
        if (!value)
            return HX_ERR_BAD_ARGUMENT;
        Expression *e = vexa::sim::find_expression(expression);
        if (!e)
            return HX_ERR_NOT_FOUND;
        *value = e->value;
        return HX_OK;
    });
}

HX_API int HX_MODL_create_exp_tag(const char *text, tag_t *expression)
{
    return host_call("HX_MODL_create_exp_tag", [&]() -> int {
        if (!text || !expression)
            return HX_ERR_BAD_ARGUMENT;
        *expression = 0;
        std::string name, formula;
        if (!split_text(text, name, formula))
            return HX_ERR_EXPRESSION;
        Part *p = vexa::sim::find_part(vexa::sim::parts_state().work);
        if (!p)
            return HX_ERR_NOT_FOUND;
        if (expression_in(*p, name))
            return HX_ERR_EXISTS;
        Expression probe;
        probe.part = p->tag;
        probe.name = name;
        probe.tag = ~tag_t{0};
        double value = 0;
        std::string why;
        if (int s = vexa::sim::evaluate_formula(p->tag, formula, value, why, &probe))
            return s;
        Expression &e = vexa::sim::objects().create<Expression>();
        e.part = p->tag;
        e.name = name;
        e.formula = formula;
        e.value = value;
        p->expressions.push_back(e.tag);
        vexa::sim::mark_modified(p->tag);
        *expression = e.tag;
        return HX_OK;
    });
}

HX_API int HX_MODL_edit_exp(tag_t expression, const char *text)
{
    return host_call("HX_MODL_edit_exp", [&]() -> int {
        if (!text)
            return HX_ERR_BAD_ARGUMENT;
        Expression *e = vexa::sim::find_expression(expression);
        if (!e)
            return HX_ERR_NOT_FOUND;
        std::string name, formula;
        if (!split_text(text, name, formula))
            return HX_ERR_EXPRESSION;
        Part *p = vexa::sim::find_part(e->part);
        if (Expression *other = p ? expression_in(*p, name) : nullptr; other && other != e)
            return HX_ERR_EXISTS;
        if (name != e->name && in_use(*e))
            return HX_ERR_EXPRESSION;
        std::string old_name = e->name;
        e->name = name; // a formula naming the new name is a circle
        double value = 0;
        std::string why;
        if (int s = vexa::sim::evaluate_formula(e->part, formula, value, why, e)) {
            e->name = old_name;
            return s;
        }
        e->formula = formula;
        e->value = value;
        vexa::sim::mark_modified(e->part);
        return HX_OK;
    });
}

HX_API int HX_MODL_delete_exp(tag_t expression)
{
    return host_call("HX_MODL_delete_exp", [&]() -> int {
        Expression *e = vexa::sim::find_expression(expression);
        if (!e)
            return HX_ERR_NOT_FOUND;
        if (in_use(*e))
            return HX_ERR_EXPRESSION;
        if (Part *p = vexa::sim::find_part(e->part)) {
            p->expressions.erase(std::remove(p->expressions.begin(), p->expressions.end(), expression),
                                 p->expressions.end());
            p->modified = true;
        }
        vexa::sim::objects().erase(expression);
        return HX_OK;
    });
}

HX_API int HX_MODL_ask_exp_tag_string(tag_t expression, char **text)
{
    return host_call("HX_MODL_ask_exp_tag_string", [&]() -> int {
        if (!text)
            return HX_ERR_BAD_ARGUMENT;
        *text = nullptr;
        Expression *e = vexa::sim::find_expression(expression);
        if (!e)
            return HX_ERR_NOT_FOUND;
        *text = HX_strdup((e->name + "=" + e->formula).c_str());
        return *text ? HX_OK : HX_ERR_NO_MEMORY;
    });
}

HX_API int HX_MODL_ask_exps_of_part(tag_t part, int *count, tag_t **expressions)
{
    return host_call("HX_MODL_ask_exps_of_part", [&]() -> int {
        if (!count || !expressions)
            return HX_ERR_BAD_ARGUMENT;
        *count = 0;
        *expressions = nullptr;
        Part *p = vexa::sim::find_part(part);
        if (!p)
            return HX_ERR_NOT_FOUND;
        return vexa::sim::hand_out_tags(p->expressions, count, expressions);
    });
}

} // extern "C"
