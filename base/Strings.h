// TStrings, the list-of-lines interface, and TStringList, its plain in-memory form.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

// Lines of code-page text. The editor's Lines, the script writers and the
// history list implement it.
class TStrings {
public:
    virtual ~TStrings() = default;
    virtual int Count() const = 0;
    virtual std::string Get(int index) const = 0;
    virtual void Put(int index, const std::string& line) = 0;
    virtual void Insert(int index, const std::string& line) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    // Appends at the end and returns the new line's index.
    virtual int Add(const std::string& line);
    // The lines joined by CR LF, no break after the last one.
    virtual std::string Text() const;
    // Replaces the lines by those of text, split at CR LF, CR or LF.
    virtual void SetText(const std::string& text);
    int IndexOf(const std::string& line) const;
};

class TStringList : public TStrings {
public:
    TStringList() = default;
    TStringList(std::initializer_list<std::string> lines) : FLines(lines) {}
    int Count() const override { return static_cast<int>(FLines.size()); }
    std::string Get(int index) const override;
    void Put(int index, const std::string& line) override;
    void Insert(int index, const std::string& line) override;
    void Delete(int index) override;
    void Clear() override { FLines.clear(); }
    int Add(const std::string& line) override;
    const std::vector<std::string>& Items() const { return FLines; }

private:
    void CheckIndex(int index, int limit) const;
    std::vector<std::string> FLines;
};
