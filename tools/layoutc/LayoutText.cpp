#include "LayoutText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "../../src/framework/core/BmpFile.h"
#include "../../src/framework/core/Bytes.h"
#include "../../src/framework/core/Convert.h"
#include "../../src/components/imageform/core/RegionBands.h"

namespace layouttext {

using layout::Node;
using layout::Tag;
using layout::Value;

namespace {

class Parser {
public:
    Parser(const std::string& text, const Options& opt) : t_(text), opt_(opt) {}

    Node Root() {
        Node n = Object();
        Skip();
        if (i_ < t_.size()) Fail("text after the end of the root object");
        return n;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw ParseError(opt_.fileName + ":" + std::to_string(line_) + ": " + what);
    }

    void Skip() {
        for (;;) {
            while (i_ < t_.size() && std::isspace(static_cast<unsigned char>(t_[i_]))) {
                if (t_[i_] == '\n') ++line_;
                ++i_;
            }
            if (i_ < t_.size() && (t_[i_] == '#' || (t_[i_] == '/' && i_ + 1 < t_.size() && t_[i_ + 1] == '/'))) {
                while (i_ < t_.size() && t_[i_] != '\n') ++i_;
                continue;
            }
            return;
        }
    }

    bool Peek(char c) {
        Skip();
        return i_ < t_.size() && t_[i_] == c;
    }

    void Expect(char c) {
        if (!Peek(c)) Fail(std::string("'") + c + "' expected");
        ++i_;
    }

    std::string Name(bool dotted) {
        Skip();
        std::size_t s = i_;
        while (i_ < t_.size() &&
               (std::isalnum(static_cast<unsigned char>(t_[i_])) || t_[i_] == '_' || (dotted && t_[i_] == '.')))
            ++i_;
        if (s == i_) Fail("name expected");
        return t_.substr(s, i_ - s);
    }

    Node Object() {
        if (Name(false) != "object") Fail("'object' expected");
        Node n;
        n.name = Name(false);
        Expect(':');
        n.className = Name(false);
        Expect('{');
        for (;;) {
            if (Peek('}')) {
                ++i_;
                break;
            }
            if (i_ >= t_.size()) Fail("'}' expected before the end of the text");
            std::size_t save = i_;
            int saveLine = line_;
            std::string word = Name(true);
            if (word == "object" && !Peek('=')) {
                i_ = save;
                line_ = saveLine;
                n.children.push_back(Object());
                continue;
            }
            Expect('=');
            if (n.Find(word)) Fail("property " + word + " given twice");
            Value v = ParseValue(n, word);
            n.props.emplace_back(word, std::move(v));
        }
        return n;
    }

    std::string Subst(const std::string& s) {
        std::string out;
        for (std::size_t k = 0; k < s.size(); ++k) {
            if (s[k] == '$' && k + 1 < s.size() && s[k + 1] == '{') {
                std::size_t e = s.find('}', k);
                if (e == std::string::npos) Fail("unterminated ${...}");
                std::string var = s.substr(k + 2, e - k - 2);
                auto it = opt_.vars.find(var);
                if (it == opt_.vars.end()) Fail("undefined variable ${" + var + "}");
                out += it->second;
                k = e;
            } else {
                out += s[k];
            }
        }
        return out;
    }

    std::string QuotedPart() {
        Expect('"');
        std::string s;
        for (;;) {
            if (i_ >= t_.size() || t_[i_] == '\n') Fail("unterminated string");
            char c = t_[i_++];
            if (c == '"') break;
            if (c == '\\') {
                if (i_ >= t_.size()) Fail("unterminated string");
                char e = t_[i_++];
                switch (e) {
                case 'n': s += '\n'; break;
                case 'r': s += '\r'; break;
                case 't': s += '\t'; break;
                case '"': s += '"'; break;
                case '\\': s += '\\'; break;
                case '$': s += "\x01"; break;  // a literal dollar, kept from substitution
                case 'x': {
                    if (i_ + 2 > t_.size() || !std::isxdigit(static_cast<unsigned char>(t_[i_])) ||
                        !std::isxdigit(static_cast<unsigned char>(t_[i_ + 1])))
                        Fail("\\x needs two hexadecimal digits");
                    s += static_cast<char>(std::stoi(t_.substr(i_, 2), nullptr, 16));
                    i_ += 2;
                    break;
                }
                default: Fail(std::string("unknown escape \\") + e);
                }
            } else {
                s += c;
            }
        }
        return s;
    }

    // One or more adjacent quoted parts, joined, with ${VAR} substituted.
    std::string Quoted() {
        std::string s = QuotedPart();
        while (Peek('"')) s += QuotedPart();
        s = Subst(s);
        for (auto& c : s)
            if (c == '\x01') c = '$';
        return s;
    }

    std::string File(const std::string& path) {
        try {
            return opt_.readFile(path);
        } catch (const std::exception& e) {
            Fail(e.what());
        }
    }

    Value ParseValue(const Node& owner, const std::string& prop) {
        Skip();
        if (i_ >= t_.size()) Fail("value expected");
        char c = t_[i_];
        if (c == '"') return Value::Str(Quoted());
        if (c == '[') {
            ++i_;
            std::vector<std::string> members;
            while (!Peek(']')) {
                members.push_back(Name(false));
                if (!Peek(']')) Expect(',');
            }
            ++i_;
            return Value::Members(std::move(members));
        }
        if (c == '(') {
            ++i_;
            std::vector<Value> items;
            while (!Peek(')')) {
                items.push_back(ParseValue(owner, prop));
                if (!Peek(')')) Expect(',');
            }
            ++i_;
            return Value::Items(std::move(items));
        }
        if (c == '-' || c == '+' || c == '$' || std::isdigit(static_cast<unsigned char>(c))) {
            std::size_t s = i_;
            ++i_;
            while (i_ < t_.size() && (std::isalnum(static_cast<unsigned char>(t_[i_])) || t_[i_] == '.')) ++i_;
            std::string num = t_.substr(s, i_ - s);
            if (num.find('.') != std::string::npos) {
                try {
                    std::size_t used = 0;
                    double d = std::stod(num, &used);
                    if (used != num.size()) throw std::invalid_argument(num);
                    return Value::Dbl(d);
                } catch (const std::exception&) {
                    Fail("bad number " + num);
                }
            }
            auto v = TryStrToInt(num);
            if (!v) Fail("bad integer " + num);
            return Value::Int(*v);
        }
        std::string word = Name(false);
        if (word == "True") return Value::Bool(true);
        if (word == "False") return Value::Bool(false);
        if (Peek('(')) {
            ++i_;
            std::string arg;
            if (Peek('"')) arg = Quoted();
            Expect(')');
            if (word == "picture") return Value::Bin(PictureData(File(arg)));
            if (word == "rtf") return Value::Bin(DocumentData(File(arg)));
            if (word == "document") return Value::Bin(DocumentData(arg));
            if (word == "bytes") return Value::Bin(File(arg));
            if (word == "region") {
                try {
                    return Value::Bin(RegionPayload(owner, owner.name + "." + prop));
                } catch (const ParseError& e) {
                    Fail(e.what());
                }
            }
            Fail("unknown function " + word + "()");
        }
        return Value::Id(word);
    }

    const std::string& t_;
    const Options& opt_;
    std::size_t i_ = 0;
    int line_ = 1;
};

}  // namespace

std::string PictureData(const std::string& bmpFile) {
    std::string s;
    const std::string cls = "TBitmap";
    s.push_back(static_cast<char>(cls.size()));
    s += cls;
    PutLe32(s, static_cast<std::uint32_t>(bmpFile.size()));
    s += bmpFile;
    return s;
}

std::string DocumentData(const std::string& rtf) {
    std::string s;
    PutLe32(s, static_cast<std::uint32_t>(rtf.size()));
    return s + rtf;
}

std::string RegionPayload(const Node& component, const std::string& where) {
    const Value* pic = component.Find("Picture.Data");
    BmpImage img;
    if (pic) {
        if (pic->tag != Tag::Binary) throw ParseError(where + ": Picture.Data is not binary");
        const std::string& d = pic->s;
        std::size_t nameLen = d.empty() ? 0 : static_cast<unsigned char>(d[0]);
        if (d.size() < 1 + nameLen + 4 || d.substr(1, nameLen) != "TBitmap")
            throw ParseError(where + ": the picture is not a bitmap");
        std::string err;
        if (!DecodeBmp(d.substr(1 + nameLen + 4), img, err)) throw ParseError(where + ": " + err);
    }
    TColor transparent = clNone;
    if (const Value* tc = component.Find("TransparentColor")) {
        if (tc->tag == Tag::Int) transparent = tc->i;
        else if (tc->tag == Tag::Ident && IdentToColor(tc->s)) transparent = *IdentToColor(tc->s);
        else throw ParseError(where + ": TransparentColor is not a colour");
    }
    std::string out;
    if (img.width == 0 || img.height == 0) {
        PutLe32(out, 0);
        return out;
    }
    if (transparent == clNone) transparent = static_cast<TColor>(img.At(0, img.height - 1));
    if (static_cast<std::uint32_t>(transparent) >> 24 != 0 && img.bitsPerPixel != 24)
        throw ParseError(where + ": a system colour cannot be the transparent colour of a " +
                         std::to_string(img.bitsPerPixel) + "-bit picture");
    region::BandBuilder bands;
    for (std::int32_t y = 0; y < img.height; ++y)
        bands.AddRow(y, region::RowRuns(img.width, [&](std::int32_t x) {
                         return img.At(x, y) == static_cast<std::uint32_t>(transparent);
                     }));
    if (bands.Empty()) {
        PutLe32(out, 0);
        return out;
    }
    std::string data = region::RegionDataBytes(bands.Rects());
    PutLe32(out, static_cast<std::uint32_t>(data.size()));
    return out + data;
}

Node Parse(const std::string& text, const Options& opt) { return Parser(text, opt).Root(); }

namespace {
std::string Quote(const std::string& s) {
    std::string o = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            o += '\\';
            o += static_cast<char>(c);
        } else if (c == '$') {
            o += "\\$";
        } else if (c < 32 || c > 126) {
            char b[8];
            std::snprintf(b, sizeof b, "\\x%02X", c);
            o += b;
        } else {
            o += static_cast<char>(c);
        }
    }
    return o + "\"";
}

std::string ValueText(const Value& v) {
    switch (v.tag) {
    case Tag::Int: return std::to_string(v.i);
    case Tag::Double: {
        std::ostringstream o;
        o.precision(17);
        o << v.d;
        std::string s = o.str();
        if (s.find('.') == std::string::npos && s.find('e') == std::string::npos) s += ".0";
        return s;
    }
    case Tag::String: return Quote(v.s);
    case Tag::Ident: return v.s;
    case Tag::True: return "True";
    case Tag::False: return "False";
    case Tag::Set: {
        std::string s = "[";
        for (std::size_t k = 0; k < v.set.size(); ++k) s += (k ? ", " : "") + v.set[k];
        return s + "]";
    }
    case Tag::List: {
        std::string s = "(";
        for (std::size_t k = 0; k < v.list.size(); ++k) s += (k ? ", " : "") + ValueText(v.list[k]);
        return s + ")";
    }
    case Tag::Binary: return "bytes(" + std::to_string(v.s.size()) + " bytes)";
    default: return "?";
    }
}
}  // namespace

std::string Dump(const Node& n, int indent) {
    std::string pad(static_cast<std::size_t>(indent) * 4, ' ');
    std::string s = pad + "object " + n.name + ": " + n.className + " {\n";
    for (auto& [name, v] : n.props) s += pad + "    " + name + " = " + ValueText(v) + "\n";
    for (auto& c : n.children) s += Dump(c, indent + 1);
    return s + pad + "}\n";
}

namespace {

bool IsIdentifier(const std::string& s) {
    if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
    return std::all_of(s.begin(), s.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

// OnClick, OnKeyDown: the properties the reader takes as events (no sub-object has any).
bool IsEvent(const std::string& prop) {
    return prop.size() > 2 && prop.compare(0, 2, "On") == 0 && std::isupper(static_cast<unsigned char>(prop[2])) &&
           prop.find('.') == std::string::npos;
}

// What a form's binder needs from its layout, in the layout's order.
class BindingPlan {
public:
    BindingPlan(const Node& root, const std::string& source) : source_(source) {
        if (!IsIdentifier(root.className)) Fail("the form's class " + root.className + " is no C++ name");
        Visit(root, true);
    }

    std::vector<const Node*> components;  // every named component below the root
    // Each handler once, in order of first use, with the events it serves
    // ("TMenuItem::OnClick"), each once.
    std::vector<std::pair<std::string, std::vector<std::string>>> handlers;

private:
    [[noreturn]] void Fail(const std::string& what) const { throw ParseError(source_ + ": " + what); }

    void Visit(const Node& n, bool root) {
        if (!root && !n.name.empty()) {
            if (!IsIdentifier(n.name)) Fail("component name " + n.name + " is no C++ name");
            if (!IsIdentifier(n.className)) Fail("component " + n.name + ": class " + n.className + " is no C++ name");
            if (!names_.insert(n.name).second) Fail("two components are named " + n.name);
            components.push_back(&n);
        }
        for (const auto& [prop, v] : n.props) {
            if (!IsEvent(prop)) continue;
            if (v.tag != Tag::Ident || !IsIdentifier(v.s))
                Fail("component " + n.name + ", event " + prop + ": a handler's name expected");
            Use(v.s, n.className + "::" + prop);
        }
        for (const Node& c : n.children) Visit(c, false);
    }

    void Use(const std::string& handler, const std::string& event) {
        auto it = std::find_if(handlers.begin(), handlers.end(), [&](const auto& h) { return h.first == handler; });
        if (it == handlers.end()) {
            handlers.push_back({handler, {event}});
        } else if (std::find(it->second.begin(), it->second.end(), event) == it->second.end()) {
            it->second.push_back(event);
        }
    }

    std::string source_;
    std::set<std::string> names_;
};

}  // namespace

std::string FieldsHeader(const Node& root, const std::string& sourceName) {
    BindingPlan plan(root, sourceName);
    const std::string& form = root.className;
    std::string h;
    h += "// " + form + ": the components and event handlers its layout " + sourceName + " names.\n";
    h += "// Written by the layout compiler (layoutc --fields) from the layout at every\n";
    h += "// build; change the layout, not this file.\n";
    h += "#pragma once\n\n";

    std::set<std::string> classes;
    for (const Node* c : plan.components)
        if (c->className != form) classes.insert(c->className);
    for (const std::string& c : classes) h += "class " + c + ";\n";
    if (!classes.empty()) h += "\n";

    h += "// In the form's class (CX_LAYOUT_FIELDS): a field for each component,\n";
    h += "// set once the layout has been read, and the binder.\n";
    h += "#define CX_LAYOUT_FIELDS_" + form + " \\\n";
    for (const Node* c : plan.components) h += "    " + c->className + "* " + c->name + " = nullptr; \\\n";
    h += "    void BindComponents()\n\n";

    h += "// In the form's source (CX_LAYOUT_BINDER), where the components' classes are\n";
    h += "// complete; the constructor calls it. It publishes each handler the events\n";
    h += "// name, checked against the type of every event it serves, and binds each\n";
    h += "// field to its component.\n";
    h += "#define CX_LAYOUT_BINDER_" + form + " \\\n";
    h += "    void " + form + "::BindComponents() { \\\n";
    for (const auto& [handler, events] : plan.handlers) {
        std::string types;
        for (const std::string& e : events) types += (types.empty() ? "" : ", ") + ("decltype(" + e + ")");
        h += "        LayoutHandler<" + types + ">(\"" + handler + "\", this, &" + form + "::" + handler + "); \\\n";
    }
    for (const Node* c : plan.components) h += "        Field(\"" + c->name + "\", " + c->name + "); \\\n";
    h += "    }\n";
    return h;
}

}  // namespace layouttext
