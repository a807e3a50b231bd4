#pragma once
// A statement with "#NAME#" placeholders, filled in one pass: a value that
// itself holds "#...#" text is written as it is and never read as a
// placeholder.

#include <string>
#include <vector>

namespace transfer {

class StatementTemplate {
public:
    explicit StatementTemplate(const std::string& text);

    // Whether the template holds the placeholder and it is still unfilled.
    bool Has(const std::string& name) const;
    // Whether the placeholder stands between two apostrophes.
    bool Quoted(const std::string& name) const;
    // Fills the first unfilled occurrence of the placeholder.
    void Fill(const std::string& name, const std::string& value);
    // The statement; unfilled placeholders stay as written.
    std::string Text() const;

    struct Piece {
        std::string text;  // literal text, or the placeholder's name
        bool placeholder = false;
        bool filled = false;
        bool quoted = false;
        std::string value;
    };
private:
    Piece* Find(const std::string& name);
    const Piece* Find(const std::string& name) const;
    std::vector<Piece> pieces_;
};

}  // namespace transfer
