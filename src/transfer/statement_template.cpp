#include "transfer/statement_template.h"

#include <cctype>

namespace transfer {

namespace {

StatementTemplate::Piece Literal(const std::string& text) {
    StatementTemplate::Piece p;
    p.text = text;
    return p;
}

bool NameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

}  // namespace

StatementTemplate::StatementTemplate(const std::string& text) {
    std::string literal;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '#') {
            size_t end = i + 1;
            while (end < text.size() && NameChar(text[end])) ++end;
            if (end < text.size() && text[end] == '#' && end > i + 1) {
                Piece p;
                p.placeholder = true;
                p.text = text.substr(i + 1, end - i - 1);
                p.quoted = i > 0 && text[i - 1] == '\'' && end + 1 < text.size() && text[end + 1] == '\'';
                if (!literal.empty()) pieces_.push_back(Literal(literal));
                literal.clear();
                pieces_.push_back(p);
                i = end + 1;
                continue;
            }
        }
        literal += text[i++];
    }
    if (!literal.empty()) pieces_.push_back(Literal(literal));
}

StatementTemplate::Piece* StatementTemplate::Find(const std::string& name) {
    for (auto& p : pieces_) {
        if (p.placeholder && !p.filled && p.text == name) return &p;
    }
    return nullptr;
}

const StatementTemplate::Piece* StatementTemplate::Find(const std::string& name) const {
    for (const auto& p : pieces_) {
        if (p.placeholder && !p.filled && p.text == name) return &p;
    }
    return nullptr;
}

bool StatementTemplate::Has(const std::string& name) const { return Find(name) != nullptr; }

bool StatementTemplate::Quoted(const std::string& name) const {
    const Piece* p = Find(name);
    return p && p->quoted;
}

void StatementTemplate::Fill(const std::string& name, const std::string& value) {
    if (Piece* p = Find(name)) {
        p->filled = true;
        p->value = value;
    }
}

std::string StatementTemplate::Text() const {
    std::string out;
    for (const auto& p : pieces_) {
        if (!p.placeholder) {
            out += p.text;
        } else if (p.filled) {
            out += p.value;
        } else {
            out += "#" + p.text + "#";
        }
    }
    return out;
}

}  // namespace transfer
