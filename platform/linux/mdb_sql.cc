#include "platform/linux/mdb_sql.h"

#include <strings.h>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "platform/ado.h"
#include "platform/error.h"
#include "platform/ole_date.h"

namespace vigilo::mdb {
namespace {

struct Token {
  enum class Kind { End, Word, Name, Number, Text, DateLiteral, Symbol };
  Kind kind = Kind::End;
  std::string text;  // the word, name, text or symbol; the digits of a number
  size_t position = 0;
};

bool isWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool sameWord(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

// Words that cannot stand as a bare column or table name.
bool isReserved(const std::string& word) {
  static const char* const kReserved[] = {"SELECT", "TOP",  "FROM", "WHERE", "ORDER",   "BY",
                                          "ASC",    "DESC", "AND",  "OR",    "NOT",     "IS",
                                          "NULL",   "LIKE", "AS",   "INTO",  "DISTINCT"};
  for (const char* reserved : kReserved)
    if (sameWord(word, reserved)) return true;
  return false;
}

class Parser {
 public:
  explicit Parser(std::string_view sql) : sql_(sql) { tokenize(); }

  SelectStatement parse() {
    SelectStatement statement;
    expectWord("SELECT");
    if (peekWord("DISTINCT") || peekWord("DISTINCTROW")) fail("DISTINCT is not supported");
    if (acceptWord("TOP")) {
      if (peek().kind != Token::Kind::Number ||
          peek().text.find_first_not_of("0123456789") != std::string::npos)
        fail("TOP needs a whole number of rows");
      statement.top = std::strtoll(next().text.c_str(), nullptr, 10);
      if (*statement.top < 1) fail("TOP needs at least one row");
    }
    do statement.items.push_back(selectItem());
    while (acceptSymbol(","));
    if (peekWord("INTO")) fail("SELECT ... INTO is not supported");
    expectWord("FROM");
    statement.table = name("a table name after FROM");
    if (peek().kind == Token::Kind::Symbol && peek().text == ",")
      fail("only one table may be named");
    if (peekWord("JOIN") || peekWord("INNER") || peekWord("LEFT") || peekWord("RIGHT"))
      fail("joins are not supported");
    if (acceptWord("WHERE")) statement.where = orCondition();
    if (acceptWord("ORDER")) {
      expectWord("BY");
      do {
        OrderKey key;
        key.column = columnName("a column name in ORDER BY");
        if (acceptWord("DESC"))
          key.descending = true;
        else
          acceptWord("ASC");
        statement.orderBy.push_back(std::move(key));
      } while (acceptSymbol(","));
    }
    acceptSymbol(";");
    if (peek().kind != Token::Kind::End) fail("unexpected '" + peek().text + "'");
    // Qualified names were read before the table was known: check them now.
    for (const std::string& qualifier : qualifiers_)
      if (strcasecmp(qualifier.c_str(), statement.table.c_str()) != 0)
        fail("'" + qualifier + "' is not the table of the statement");
    return statement;
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw Error(ado::errc::kErrorsInCommand, "Microsoft JET Database Engine",
                "Syntax error in the SQL statement '" + std::string(sql_) + "': " + what + ".");
  }

  void tokenize() {
    size_t i = 0;
    while (true) {
      while (i < sql_.size() && std::isspace(static_cast<unsigned char>(sql_[i]))) ++i;
      Token token;
      token.position = i;
      if (i == sql_.size()) {
        tokens_.push_back(token);
        return;
      }
      const char c = sql_[i];
      if (c == '[') {
        const size_t close = sql_.find(']', i + 1);
        if (close == std::string_view::npos) fail("a '[' is not closed");
        token.kind = Token::Kind::Name;
        token.text = std::string(sql_.substr(i + 1, close - i - 1));
        if (token.text.empty()) fail("an empty name []");
        i = close + 1;
      } else if (c == '\'' || c == '"') {
        token.kind = Token::Kind::Text;
        ++i;
        while (true) {
          if (i >= sql_.size()) fail("a text literal is not closed");
          if (sql_[i] == c) {
            if (i + 1 < sql_.size() && sql_[i + 1] == c) {
              token.text += c;
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          token.text += sql_[i++];
        }
      } else if (c == '#') {
        const size_t close = sql_.find('#', i + 1);
        if (close == std::string_view::npos) fail("a date literal '#' is not closed");
        token.kind = Token::Kind::DateLiteral;
        token.text = std::string(sql_.substr(i + 1, close - i - 1));
        i = close + 1;
      } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                 (c == '.' && i + 1 < sql_.size() &&
                  std::isdigit(static_cast<unsigned char>(sql_[i + 1])))) {
        token.kind = Token::Kind::Number;
        size_t end = i;
        while (end < sql_.size() && std::isdigit(static_cast<unsigned char>(sql_[end]))) ++end;
        if (end < sql_.size() && sql_[end] == '.') {
          ++end;
          while (end < sql_.size() && std::isdigit(static_cast<unsigned char>(sql_[end]))) ++end;
        }
        token.text = std::string(sql_.substr(i, end - i));
        i = end;
        if (i < sql_.size() && isWordChar(sql_[i])) fail("a malformed number");
      } else if (isWordChar(c)) {
        token.kind = Token::Kind::Word;
        while (i < sql_.size() && isWordChar(sql_[i])) token.text += sql_[i++];
      } else {
        token.kind = Token::Kind::Symbol;
        static const char* const kTwoCharSymbols[] = {"<>", "<=", ">=", "!="};
        for (const char* symbol : kTwoCharSymbols)
          if (sql_.substr(i, 2) == symbol) token.text = symbol;
        if (token.text.empty()) {
          if (std::string_view("*,()=<>;.-").find(c) == std::string_view::npos)
            fail(std::string("unexpected character '") + c + "'");
          token.text = std::string(1, c);
        }
        i += token.text.size();
      }
      tokens_.push_back(std::move(token));
    }
  }

  const Token& peek() const { return tokens_[index_]; }
  const Token& next() {
    const Token& token = tokens_[index_];
    if (token.kind != Token::Kind::End) ++index_;
    return token;
  }
  bool peekWord(const char* word) const {
    return peek().kind == Token::Kind::Word && sameWord(peek().text, word);
  }
  bool acceptWord(const char* word) {
    if (!peekWord(word)) return false;
    next();
    return true;
  }
  void expectWord(const char* word) {
    if (!acceptWord(word)) fail(std::string("expected ") + word + found());
  }
  bool acceptSymbol(const char* symbol) {
    if (peek().kind != Token::Kind::Symbol || peek().text != symbol) return false;
    next();
    return true;
  }
  std::string found() const {
    return peek().kind == Token::Kind::End ? " at the end" : " before '" + peek().text + "'";
  }

  // A bare or bracketed name.
  std::string name(const char* what) {
    const Token& token = peek();
    if (token.kind == Token::Kind::Name ||
        (token.kind == Token::Kind::Word && !isReserved(token.text)))
      return next().text;
    fail(std::string("expected ") + what + found());
  }

  // A column name, optionally qualified by the table.
  std::string columnName(const char* what) {
    std::string column = name(what);
    if (acceptSymbol(".")) {
      qualifiers_.push_back(column);
      column = name(what);
    }
    return column;
  }

  SelectItem selectItem() {
    SelectItem item;
    if (acceptSymbol("*")) {
      item.allColumns = true;
      return item;
    }
    item.column = columnName("a column name or *");
    if (acceptWord("AS")) item.alias = name("a name after AS");
    return item;
  }

  std::unique_ptr<Condition> orCondition() {
    auto left = andCondition();
    while (acceptWord("OR")) left = combine(Condition::Kind::Or, std::move(left), andCondition());
    return left;
  }

  std::unique_ptr<Condition> andCondition() {
    auto left = notCondition();
    while (acceptWord("AND")) left = combine(Condition::Kind::And, std::move(left), notCondition());
    return left;
  }

  std::unique_ptr<Condition> notCondition() {
    if (acceptWord("NOT")) {
      auto condition = std::make_unique<Condition>();
      condition->kind = Condition::Kind::Not;
      condition->left = notCondition();
      return condition;
    }
    if (acceptSymbol("(")) {
      auto inner = orCondition();
      if (!acceptSymbol(")")) fail("expected ')'" + found());
      return inner;
    }
    return comparison();
  }

  static std::unique_ptr<Condition> combine(Condition::Kind kind, std::unique_ptr<Condition> left,
                                            std::unique_ptr<Condition> right) {
    auto condition = std::make_unique<Condition>();
    condition->kind = kind;
    condition->left = std::move(left);
    condition->right = std::move(right);
    return condition;
  }

  std::unique_ptr<Condition> comparison() {
    auto condition = std::make_unique<Condition>();
    condition->column = columnName("a column name in the condition");
    if (acceptWord("IS")) {
      condition->kind = acceptWord("NOT") ? Condition::Kind::IsNotNull : Condition::Kind::IsNull;
      expectWord("NULL");
      return condition;
    }
    bool negated = false;
    if (acceptWord("NOT")) {
      if (!peekWord("LIKE")) fail("expected LIKE after NOT" + found());
      negated = true;
    }
    if (acceptWord("LIKE")) {
      condition->op = CompareOp::Like;
      if (peek().kind != Token::Kind::Text) fail("LIKE needs a text pattern");
      condition->literal = next().text;
    } else {
      condition->op = compareOp();
      condition->literal = literal();
    }
    if (!negated) return condition;
    auto negation = std::make_unique<Condition>();
    negation->kind = Condition::Kind::Not;
    negation->left = std::move(condition);
    return negation;
  }

  CompareOp compareOp() {
    struct Entry {
      const char* symbol;
      CompareOp op;
    };
    static const Entry kOps[] = {{"=", CompareOp::Equal},        {"<>", CompareOp::NotEqual},
                                 {"!=", CompareOp::NotEqual},    {"<", CompareOp::Less},
                                 {">", CompareOp::Greater},      {"<=", CompareOp::LessEqual},
                                 {">=", CompareOp::GreaterEqual}};
    for (const Entry& entry : kOps)
      if (acceptSymbol(entry.symbol)) return entry.op;
    fail("expected a comparison" + found());
  }

  Variant literal() {
    const bool negative = acceptSymbol("-");
    const Token& token = next();
    if (negative && token.kind != Token::Kind::Number) fail("expected a number after '-'");
    switch (token.kind) {
      case Token::Kind::Number: {
        double value = 0;
        std::from_chars(token.text.data(), token.text.data() + token.text.size(), value);
        const bool whole = token.text.find_first_not_of("0123456789") == std::string::npos;
        if (whole && value <= 2147483647.0) return int32_t(negative ? -value : value);
        return negative ? -value : value;
      }
      case Token::Kind::Text:
        return token.text;
      case Token::Kind::DateLiteral:
        return Date{dateLiteral(token.text)};
      case Token::Kind::Word:
        if (sameWord(token.text, "True")) return true;
        if (sameWord(token.text, "False")) return false;
        if (sameWord(token.text, "NULL")) return Variant::null();
        break;
      default:
        break;
    }
    fail("expected a literal value instead of '" + token.text + "'");
  }

  // m/d/yyyy or yyyy-mm-dd, optionally followed by hh:mm[:ss].
  double dateLiteral(const std::string& text) {
    CivilTime t;
    int used = 0;
    const char* s = text.c_str();
    if (std::sscanf(s, " %4d-%2d-%2d%n", &t.year, &t.month, &t.day, &used) != 3 &&
        std::sscanf(s, " %2d/%2d/%4d%n", &t.month, &t.day, &t.year, &used) != 3)
      fail("'#" + text + "#' is not a date");
    int more = 0;
    if (std::sscanf(s + used, " %2d:%2d%n", &t.hour, &t.minute, &more) == 2) {
      used += more;
      if (std::sscanf(s + used, ":%2d%n", &t.second, &more) == 1) used += more;
    }
    while (s[used] == ' ') ++used;
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
    if (s[used] != '\0' || t.year < 100 || t.year > 9999 || t.month < 1 || t.month > 12 ||
        t.day < 1 || t.day > kDays[t.month - 1] || (t.month == 2 && !leap && t.day > 28) ||
        t.hour > 23 || t.minute > 59 || t.second > 59)
      fail("'#" + text + "#' is not a date");
    return oleDateFromCivil(t);
  }

  std::string_view sql_;
  std::vector<Token> tokens_;
  size_t index_ = 0;
  std::vector<std::string> qualifiers_;
};

}  // namespace

SelectStatement parseSelect(std::string_view sql) { return Parser(sql).parse(); }

bool changesData(std::string_view sql) {
  size_t i = 0;
  while (i < sql.size() && (std::isspace(static_cast<unsigned char>(sql[i])) || sql[i] == '(')) ++i;
  size_t end = i;
  while (end < sql.size() && isWordChar(sql[end])) ++end;
  const std::string first(sql.substr(i, end - i));
  static const char* const kChanging[] = {"INSERT", "UPDATE", "DELETE", "CREATE",  "DROP",
                                          "ALTER",  "GRANT",  "REVOKE", "TRUNCATE"};
  for (const char* word : kChanging)
    if (sameWord(first, word)) return true;
  if (!sameWord(first, "SELECT")) return false;
  // SELECT ... INTO makes a table: look for INTO as a word outside quotes.
  char quote = 0;
  for (size_t j = end; j < sql.size(); ++j) {
    const char c = sql[j];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '\'' || c == '"' || c == '[' || c == '#') {
      quote = c == '[' ? ']' : c;
      continue;
    }
    if ((c == 'I' || c == 'i') && (j == 0 || !isWordChar(sql[j - 1])) &&
        strncasecmp(sql.data() + j, "INTO", 4) == 0 &&
        (j + 4 == sql.size() || !isWordChar(sql[j + 4])))
      return true;
  }
  return false;
}

}  // namespace vigilo::mdb
