// A list's lines as its entries: a line read by its bytes where they are not
// UTF-8, and the "#name CRC" lines of a list whose name says nothing, which
// are entries or comments as the list's other entries tell.
#pragma once

#include <functional>
#include <vector>

#include "list_forms.h"
#include "list_reader.h"

namespace fsum {

// A line that is not UTF-8 is read by its bytes, and in the ANSI code page
// for the name to take where no file has the raw one.
LineKind ReadEntry(const ListLine& line, const ListForm& form, Entry& entry);

// "#name CRC" in a list whose name says nothing: an entry when the list's
// entries are .sfv lines (there only ";" starts a comment, and cksfv checks
// it), a comment when they are GNU or BSD lines. Those before the first
// other entry wait for it.
class HashNamedLines {
public:
    using Take = std::function<void(Entry)>;

    explicit HashNamedLines(Take take) : take_(std::move(take)) {}

    // Whether the line is a "#name CRC" line: taken, waiting or a comment.
    bool Read(const ListLine& line);
    // An entry of another line: the first tells what the list's entries are.
    void Other(const ListLine& line, const Entry& entry);
    // The list's end: no other entry came to tell, so the "#" lines are its
    // entries, as cksfv checks a list of them alone.
    void End();

private:
    void TakeWaiting();

    Take take_;
    enum class Lines { Unknown, Sfv, Other } lines_ = Lines::Unknown;  // what the list's entries are
    std::vector<Entry> waiting_;                                       // "#" lines before the first entry
};

}  // namespace fsum
