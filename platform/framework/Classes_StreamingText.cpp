// The text form syntax, both ways:
//   object Name: TClass            (or "inherited", "inline"; "[n]" after the class: child order)
//     Prop = 12 | -3 | $FF | 1.5 | 1.5s | 2.5c | 3.0d | Ident | True | nil
//     Caption = 'text' | #12354 | 'a'#13#10'b' | 'two ' + 'parts'
//     Items.Strings = ( 'a' 'b' )   Style = [fsBold, fsItalic]   Data = { 0A0B }
//     Columns = < item Width = 3 end item [2] end >
//   end
// Text is UTF-8. A string with a character above #255, or with text typed directly outside
// ASCII, becomes a wide string; otherwise a byte string (the #128..#255 escapes are bytes).
#include <charconv>
#include <cmath>
#include <cstring>

#include "Classes.h"
#include "TypInfo.h"

namespace streaming_detail {
void DoubleToExtended(double d, uint8_t out[10]);
double ExtendedToDouble(const uint8_t in[10]);
}  // namespace streaming_detail

namespace {

class StreamSource : public TCustomMemoryStream {
 public:
  StreamSource(const void* p, std::size_t n) { SetPointer(const_cast<void*>(p), static_cast<int64_t>(n)); }
  int32_t Write(const void*, int32_t) override { return 0; }
};

// ---------------------------------------------------------------------------------------------
// Text -> binary.
enum TokKind { tEnd, tIdent, tInteger, tFloat, tString, tSymbol, tBinary };

struct Token {
  TokKind kind = tEnd;
  AnsiString text;       // identifier, symbol, number text
  char suffix = 0;       // float: 's', 'c', 'd' or 0
  int64_t ival = 0;
  double fval = 0;
  WideString wide;       // string value
  bool is_wide = false;  // string must be a wide string
  std::vector<uint8_t> bin;
  int line = 1;
};

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
int HexVal(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Parser {
 public:
  Parser(const std::string& text, TWriter& w) : s_(text), w_(w) {
    if (s_.compare(0, 3, "\xEF\xBB\xBF") == 0) p_ = 3;
    Next();
  }

  void ParseRoot() {
    w_.WriteSignature();
    ParseObject(0);
    if (tok_.kind != tEnd) Error("end of text expected");
  }

 private:
  [[noreturn]] void Error(const char* what) { Error(what, tok_.line); }
  [[noreturn]] void Error(const char* what, int line) {
    throw EParserError(SParseError, {AnsiString(what), line});
  }

  bool IsSym(const char* s) const { return tok_.kind == tSymbol && tok_.text == s; }
  bool IsWord(const char* s) const { return tok_.kind == tIdent && SameText(tok_.text, s); }
  void Expect(const char* s) {
    if (!IsSym(s)) Error((std::string("'") + s + "' expected").c_str());
    Next();
  }

  void SkipSpace() {
    while (p_ < s_.size()) {
      char c = s_[p_];
      if (c == '\n') { ++line_; ++p_; }
      else if (c == ' ' || c == '\t' || c == '\r') ++p_;
      else if (c == '/' && p_ + 1 < s_.size() && s_[p_ + 1] == '/') {
        while (p_ < s_.size() && s_[p_] != '\n') ++p_;
      } else break;
    }
  }

  // One string literal: quoted parts and #n parts side by side.
  void LexString() {
    tok_.kind = tString;
    tok_.wide.clear();
    tok_.is_wide = false;
    while (p_ < s_.size()) {
      char c = s_[p_];
      if (c == '\'') {
        ++p_;
        std::string raw;
        while (true) {
          if (p_ >= s_.size() || s_[p_] == '\n' || s_[p_] == '\r') Error("unterminated string");
          if (s_[p_] == '\'') {
            if (p_ + 1 < s_.size() && s_[p_ + 1] == '\'') { raw += '\''; p_ += 2; continue; }
            ++p_;
            break;
          }
          raw += s_[p_++];
        }
        for (unsigned char ch : raw)
          if (ch >= 0x80) tok_.is_wide = true;
        tok_.wide += UTF8Decode(raw);
      } else if (c == '#') {
        ++p_;
        uint32_t v = 0;
        std::size_t start = p_;
        if (p_ < s_.size() && s_[p_] == '$') {
          ++p_;
          start = p_;
          while (p_ < s_.size() && HexVal(s_[p_]) >= 0 && v <= 0xFFFF) v = v * 16 + HexVal(s_[p_++]);
        } else {
          while (p_ < s_.size() && s_[p_] >= '0' && s_[p_] <= '9' && v <= 0xFFFF) v = v * 10 + (s_[p_++] - '0');
        }
        if (p_ == start || v > 0xFFFF) Error("bad character code");
        if (v > 255) tok_.is_wide = true;
        tok_.wide += static_cast<char16_t>(v);
      } else {
        break;
      }
    }
  }

  void LexNumber() {
    std::size_t start = p_;
    bool neg = false;
    if (s_[p_] == '-' || s_[p_] == '+') { neg = s_[p_] == '-'; ++p_; }
    if (p_ < s_.size() && s_[p_] == '$') {
      ++p_;
      uint64_t v = 0;
      std::size_t ds = p_;
      while (p_ < s_.size() && HexVal(s_[p_]) >= 0) {
        if (v >> 60) Error("number too large");
        v = v * 16 + HexVal(s_[p_++]);
      }
      if (p_ == ds) Error("bad number");
      tok_.kind = tInteger;
      tok_.ival = neg ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
      tok_.text = s_.substr(start, p_ - start);
      return;
    }
    bool is_float = false;
    while (p_ < s_.size()) {
      char c = s_[p_];
      if (c >= '0' && c <= '9') ++p_;
      else if (c == '.' || c == 'e' || c == 'E') {
        is_float = true;
        ++p_;
        if ((c == 'e' || c == 'E') && p_ < s_.size() && (s_[p_] == '-' || s_[p_] == '+')) ++p_;
      } else break;
    }
    std::string num = s_.substr(start, p_ - start);
    if (num[0] == '+') num.erase(0, 1);
    tok_.text = num;
    tok_.suffix = 0;
    if (p_ < s_.size() && (s_[p_] == 's' || s_[p_] == 'S' || s_[p_] == 'c' || s_[p_] == 'C' ||
                           s_[p_] == 'd' || s_[p_] == 'D') &&
        !(p_ + 1 < s_.size() && IsIdentChar(s_[p_ + 1]))) {
      tok_.suffix = static_cast<char>(s_[p_] | 0x20);
      is_float = true;
      ++p_;
    }
    if (is_float) {
      auto r = std::from_chars(num.data(), num.data() + num.size(), tok_.fval);
      if (r.ec != std::errc() || r.ptr != num.data() + num.size()) Error("bad number");
      tok_.kind = tFloat;
    } else {
      auto r = std::from_chars(num.data(), num.data() + num.size(), tok_.ival);
      if (r.ec != std::errc() || r.ptr != num.data() + num.size()) Error("bad number");
      tok_.kind = tInteger;
    }
  }

  void LexBinary() {
    ++p_;
    tok_.kind = tBinary;
    tok_.bin.clear();
    int hi = -1;
    while (true) {
      if (p_ >= s_.size()) Error("unterminated binary data");
      char c = s_[p_++];
      if (c == '}') break;
      if (c == '\n') { ++line_; continue; }
      if (c == ' ' || c == '\t' || c == '\r') continue;
      int v = HexVal(c);
      if (v < 0) Error("bad binary data");
      if (hi < 0) hi = v;
      else { tok_.bin.push_back(static_cast<uint8_t>(hi * 16 + v)); hi = -1; }
    }
    if (hi >= 0) Error("odd number of hex digits");
  }

  void Next() {
    SkipSpace();
    tok_ = Token();
    tok_.line = line_;
    if (p_ >= s_.size()) return;
    char c = s_[p_];
    if (IsIdentStart(c)) {
      std::size_t start = p_;
      while (p_ < s_.size() && (IsIdentChar(s_[p_]) || (s_[p_] == '.' && p_ + 1 < s_.size() && IsIdentStart(s_[p_ + 1]))))
        ++p_;
      tok_.kind = tIdent;
      tok_.text = s_.substr(start, p_ - start);
    } else if ((c >= '0' && c <= '9') || c == '$' ||
               ((c == '-' || c == '+') && p_ + 1 < s_.size() &&
                ((s_[p_ + 1] >= '0' && s_[p_ + 1] <= '9') || s_[p_ + 1] == '$'))) {
      LexNumber();
    } else if (c == '\'' || c == '#') {
      LexString();
      // 'a' + 'b': the parts of one string, across lines.
      while (true) {
        std::size_t save_p = p_;
        int save_line = line_;
        SkipSpace();
        if (p_ < s_.size() && s_[p_] == '+') {
          ++p_;
          SkipSpace();
          if (p_ < s_.size() && (s_[p_] == '\'' || s_[p_] == '#')) {
            WideString acc = tok_.wide;
            bool wide = tok_.is_wide;
            int line = tok_.line;
            LexString();
            tok_.wide = acc + tok_.wide;
            tok_.is_wide = tok_.is_wide || wide;
            tok_.line = line;
            continue;
          }
          Error("string expected after '+'");
        }
        p_ = save_p;
        line_ = save_line;
        break;
      }
    } else if (c == '{') {
      LexBinary();
    } else if (std::strchr("=:[](),<>", c)) {
      tok_.kind = tSymbol;
      tok_.text = AnsiString(1, c);
      ++p_;
    } else {
      Error("unexpected character");
    }
  }

  // Currency text to units of 1/10000, exactly when it is plain decimal.
  int64_t CurrencyUnits(const std::string& t, double approx) {
    if (t.find_first_of("eE") == std::string::npos) {
      bool neg = !t.empty() && t[0] == '-';
      std::size_t i = neg ? 1 : 0;
      __int128 v = 0;
      int frac = -1;
      for (; i < t.size(); ++i) {
        if (t[i] == '.') {
          if (frac >= 0) Error("bad number");
          frac = 0;
          continue;
        }
        if (frac >= 4) continue;  // digits below 1/10000 are dropped
        v = v * 10 + (t[i] - '0');
        if (frac >= 0) ++frac;
        if (v > (static_cast<__int128>(1) << 80)) Error("currency value out of range");
      }
      for (int k = frac < 0 ? 0 : frac; k < 4; ++k) v *= 10;
      if (neg) v = -v;
      if (v > INT64_MAX || v < INT64_MIN) Error("currency value out of range");
      return static_cast<int64_t>(v);
    }
    double scaled = approx * 10000.0;
    if (!(std::fabs(scaled) < 9.2e18)) Error("currency value out of range");
    return static_cast<int64_t>(std::llround(scaled));
  }

  AnsiString Name(const AnsiString& s) {
    if (s.size() > 255) Error("name too long");
    return s;
  }

  void ParseObject(int depth) {
    if (depth > 200) Error("objects nested too deep");
    TFilerFlags flags;
    if (IsWord("inherited")) flags.Include(ffInherited);
    else if (IsWord("inline")) flags.Include(ffInline);
    else if (!IsWord("object")) Error("'object' expected");
    Next();
    if (tok_.kind != tIdent) Error("name expected");
    AnsiString name = tok_.text, cls;
    int cls_line = tok_.line;
    Next();
    if (IsSym(":")) {
      Next();
      if (tok_.kind != tIdent) Error("class name expected");
      cls = tok_.text;
      cls_line = tok_.line;
      Next();
    } else {
      cls = name;
      name.clear();
    }
    if (cls.size() > TWriter::MaxClassNameLength) Error("class name too long", cls_line);
    int pos = 0;
    if (IsSym("[")) {
      Next();
      if (tok_.kind != tInteger) Error("integer expected");
      pos = static_cast<int>(tok_.ival);
      flags.Include(ffChildPos);
      Next();
      Expect("]");
    }
    w_.WritePrefix(flags, pos);
    w_.WriteClassName(cls);
    w_.WriteStr(Name(name));
    ParseProperties(depth);
    while (IsWord("object") || IsWord("inherited") || IsWord("inline")) ParseObject(depth + 1);
    w_.WriteListEnd();
    if (!IsWord("end")) Error("'end' expected");
    Next();
  }

  // Properties up to "end", a child object, or (in a collection item) "end".
  void ParseProperties(int depth) {
    while (tok_.kind == tIdent && !IsWord("end") && !IsWord("object") && !IsWord("inherited") &&
           !IsWord("inline")) {
      w_.WriteStr(Name(tok_.text));
      Next();
      Expect("=");
      ParseValue(depth);
    }
    w_.WriteListEnd();
  }

  void ParseValue(int depth) {
    if (depth > 200) Error("values nested too deep");
    switch (tok_.kind) {
      case tInteger: w_.WriteInteger(tok_.ival); Next(); return;
      case tFloat:
        switch (tok_.suffix) {
          case 's':
            if (!(std::fabs(tok_.fval) <= 3.4028234663852886e38)) Error("single value out of range");
            w_.WriteSingle(static_cast<float>(tok_.fval));
            break;
          case 'c': w_.WriteCurrencyUnits(CurrencyUnits(tok_.text, tok_.fval)); break;
          case 'd': w_.WriteDate(tok_.fval); break;
          default: w_.WriteFloat(tok_.fval); break;
        }
        Next();
        return;
      case tString:
        if (tok_.is_wide) {
          w_.WriteWideString(tok_.wide);
        } else {
          AnsiString bytes;
          for (char16_t ch : tok_.wide) bytes += static_cast<char>(ch);
          w_.WriteString(bytes);
        }
        Next();
        return;
      case tIdent: w_.WriteIdent(Name(tok_.text)); Next(); return;
      case tBinary: {
        if (tok_.bin.size() > INT32_MAX) Error("binary data too large");
        w_.WriteValue(vaBinary);
        uint32_t n = static_cast<uint32_t>(tok_.bin.size());
        uint8_t b[4] = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
        w_.Write(b, 4);
        w_.Write(tok_.bin.data(), static_cast<int32_t>(n));
        Next();
        return;
      }
      case tSymbol:
        if (IsSym("(")) {
          Next();
          w_.WriteListBegin();
          while (!IsSym(")")) {
            if (tok_.kind == tEnd) Error("')' expected");
            ParseValue(depth + 1);
            if (IsSym(",")) Next();
          }
          Next();
          w_.WriteListEnd();
          return;
        }
        if (IsSym("[")) {
          Next();
          w_.WriteValue(vaSet);
          while (!IsSym("]")) {
            if (tok_.kind != tIdent) Error("set element expected");
            w_.WriteStr(Name(tok_.text));
            Next();
            if (IsSym(",")) Next();
            else if (!IsSym("]")) Error("']' expected");
          }
          Next();
          w_.WriteStr(AnsiString());
          return;
        }
        if (IsSym("<")) {
          Next();
          w_.WriteValue(vaCollection);
          while (!IsSym(">")) {
            if (!IsWord("item")) Error("'item' expected");
            Next();
            if (IsSym("[")) {
              Next();
              if (tok_.kind != tInteger) Error("integer expected");
              w_.WriteInteger(tok_.ival);
              Next();
              Expect("]");
            }
            w_.WriteListBegin();
            ParseProperties(depth + 1);
            if (!IsWord("end")) Error("'end' expected");
            Next();
          }
          Next();
          w_.WriteListEnd();
          return;
        }
        Error("value expected");
      default: Error("value expected");
    }
  }

  const std::string& s_;
  TWriter& w_;
  std::size_t p_ = 0;
  int line_ = 1;
  Token tok_;
};

// ---------------------------------------------------------------------------------------------
// Binary -> text.
class Printer {
 public:
  Printer(TReader& r, std::string& out) : r_(r), out_(out) {}

  void Root() {
    r_.ReadSignature();
    Object(0);
  }

 private:
  void Indent(int n) { out_.append(static_cast<std::size_t>(n), ' '); }

  void Object(int indent) {
    if (indent > 400) throw EReadError(SInvalidImage);
    TFilerFlags flags;
    int pos = 0;
    r_.ReadPrefix(flags, pos);
    AnsiString cls = r_.ReadStr(), name = r_.ReadStr();
    Indent(indent);
    out_ += flags.Contains(ffInherited) ? "inherited " : flags.Contains(ffInline) ? "inline " : "object ";
    if (!name.empty()) out_ += name + ": ";
    out_ += cls;
    if (flags.Contains(ffChildPos)) out_ += " [" + std::to_string(pos) + "]";
    out_ += "\n";
    while (!r_.EndOfList()) Property(indent + 2);
    r_.ReadListEnd();
    while (!r_.EndOfList()) Object(indent + 2);
    r_.ReadListEnd();
    Indent(indent);
    out_ += "end\n";
  }

  void Property(int indent) {
    Indent(indent);
    out_ += r_.ReadStr();
    out_ += " = ";
    Value(indent);
    out_ += "\n";
  }

  static std::string Utf8Of(char16_t c) { return UTF8Encode(WideString(1, c)); }

  // Bytes: printable ASCII quoted, the rest as #n.
  void AnsiLiteral(const AnsiString& s) {
    if (s.empty()) { out_ += "''"; return; }
    bool quoted = false;
    for (unsigned char c : s) {
      if (c >= 32 && c < 127) {
        if (!quoted) { out_ += '\''; quoted = true; }
        if (c == '\'') out_ += "''";
        else out_ += static_cast<char>(c);
      } else {
        if (quoted) { out_ += '\''; quoted = false; }
        out_ += "#" + std::to_string(c);
      }
    }
    if (quoted) out_ += '\'';
  }

  // Wide: #128..#255 would read back as bytes, so those go as UTF-8 text inside the quotes.
  void WideLiteral(const WideString& s) {
    if (s.empty()) { out_ += "''"; return; }
    bool quoted = false;
    for (char16_t c : s) {
      bool text = (c >= 32 && c < 127) || (c >= 0x80 && c <= 0xFF);
      if (text) {
        if (!quoted) { out_ += '\''; quoted = true; }
        if (c == u'\'') out_ += "''";
        else if (c < 127) out_ += static_cast<char>(c);
        else out_ += Utf8Of(c);
      } else {
        if (quoted) { out_ += '\''; quoted = false; }
        out_ += "#" + std::to_string(static_cast<unsigned>(c));
      }
    }
    if (quoted) out_ += '\'';
  }

  static std::string FloatText(double d) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, d);
    std::string s(buf, r.ptr);
    if (s.find_first_of(".eEn") == std::string::npos) s += ".0";
    return s;
  }

  void Value(int indent) {
    if (indent > 400) throw EReadError(SInvalidImage);
    switch (r_.NextValue()) {
      case vaList:
        r_.ReadValue();
        out_ += "(";
        while (!r_.EndOfList()) {
          out_ += "\n";
          Indent(indent + 2);
          Value(indent + 2);
        }
        r_.ReadListEnd();
        out_ += ")";
        return;
      case vaInt8: case vaInt16: case vaInt32: case vaInt64:
        out_ += std::to_string(r_.ReadInt64());
        return;
      case vaExtended: out_ += FloatText(static_cast<double>(r_.ReadFloat())); return;
      case vaSingle: out_ += FloatText(r_.ReadSingle()) + "s"; return;
      case vaCurrency: {
        int64_t u = r_.ReadCurrencyUnits();
        uint64_t mag = u < 0 ? 0 - static_cast<uint64_t>(u) : static_cast<uint64_t>(u);
        std::string frac = std::to_string(mag % 10000);
        out_ += (u < 0 ? "-" : "") + std::to_string(mag / 10000) + "." + std::string(4 - frac.size(), '0') + frac + "c";
        return;
      }
      case vaDate: out_ += FloatText(r_.ReadDate()) + "d"; return;
      case vaString: case vaLString: AnsiLiteral(r_.ReadString()); return;
      case vaWString: case vaUTF8String: WideLiteral(r_.ReadWideString()); return;
      case vaIdent: case vaFalse: case vaTrue: case vaNil: case vaNull:
        out_ += r_.ReadIdent();
        return;
      case vaBinary: {
        r_.ReadValue();
        uint8_t b4[4];
        r_.Read(b4, 4);
        uint32_t n = static_cast<uint32_t>(b4[0] | (b4[1] << 8) | (b4[2] << 16)) | (static_cast<uint32_t>(b4[3]) << 24);
        if (n > r_.Remaining()) throw EReadError(SReadError);
        std::vector<uint8_t> data(n);
        r_.Read(data.data(), static_cast<int32_t>(n));
        static const char* hex = "0123456789ABCDEF";
        out_ += "{";
        for (uint32_t i = 0; i < n; ++i) {
          if (i % 32 == 0) {
            out_ += "\n";
            Indent(indent + 2);
          }
          out_ += hex[data[i] >> 4];
          out_ += hex[data[i] & 15];
        }
        out_ += "}";
        return;
      }
      case vaSet: {
        r_.ReadValue();
        out_ += "[";
        bool first = true;
        while (true) {
          AnsiString n = r_.ReadStr();
          if (n.empty()) break;
          if (!first) out_ += ", ";
          out_ += n;
          first = false;
        }
        out_ += "]";
        return;
      }
      case vaCollection: {
        r_.ReadValue();
        out_ += "<";
        while (!r_.EndOfList()) {
          out_ += "\n";
          Indent(indent + 2);
          out_ += "item";
          TValueType v = r_.NextValue();
          if (v == vaInt8 || v == vaInt16 || v == vaInt32) out_ += " [" + std::to_string(r_.ReadInteger()) + "]";
          out_ += "\n";
          r_.CheckValue(vaList);
          while (!r_.EndOfList()) Property(indent + 4);
          r_.ReadListEnd();
          Indent(indent + 2);
          out_ += "end";
        }
        r_.ReadListEnd();
        out_ += ">";
        return;
      }
      default: r_.ReadValue(); throw EReadError(SInvalidImage);  // ReadValue refuses it first
    }
  }

  TReader& r_;
  std::string& out_;
};

}  // namespace

std::vector<uint8_t> ObjectTextToBinary(const std::string& Utf8Text) {
  TMemoryStream out;
  TWriter w(&out);
  Parser p(Utf8Text, w);
  p.ParseRoot();
  const auto* m = static_cast<const uint8_t*>(out.Memory());
  return std::vector<uint8_t>(m, m + out.Size());
}

std::string ObjectBinaryToText(std::span<const uint8_t> Binary) {
  StreamSource src(Binary.data(), Binary.size());
  TReader r(&src);
  std::string out;
  Printer p(r, out);
  p.Root();
  return out;
}

void ObjectTextToBinary(TStream* Input, TStream* Output) {
  std::string text;
  char buf[4096];
  int32_t n;
  while ((n = Input->Read(buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
  std::vector<uint8_t> bin = ObjectTextToBinary(text);
  Output->WriteBuffer(bin.data(), static_cast<int32_t>(bin.size()));
}

void ObjectBinaryToText(TStream* Input, TStream* Output) {
  TReader r(Input);
  std::string out;
  Printer p(r, out);
  p.Root();
  Output->WriteBuffer(out.data(), static_cast<int32_t>(out.size()));
}
