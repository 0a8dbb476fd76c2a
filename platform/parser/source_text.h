/*
 * source_text.h - the text of a job file with its line and column map, and
 * the part of it that one procedure step's parser reads.
 *
 * Exports: SourceText, StepSource.
 */
#ifndef ORV_PLATFORM_PARSER_SOURCE_TEXT_H
#define ORV_PLATFORM_PARSER_SOURCE_TEXT_H

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace orvhost {

class SourceText {
public:
    SourceText(std::string fileName, std::string text)
        : fileName_(std::move(fileName)), text_(std::move(text))
    {
        lineStarts_.push_back(0);
        for (size_t i = 0; i < text_.size(); ++i)
            if (text_[i] == '\n') lineStarts_.push_back(i + 1);
    }

    const std::string &fileName() const { return fileName_; }
    const std::string &text() const { return text_; }

    /* 1-based line and column of a byte offset (a tab counts as one
     * column). */
    int lineOf(size_t offset) const
    {
        return int(std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset) -
                   lineStarts_.begin());
    }
    int columnOf(size_t offset) const
    {
        return int(offset - lineStarts_[size_t(lineOf(offset) - 1)]) + 1;
    }

    /* "file:line:column" of an offset, the prefix of every message. */
    std::string where(size_t offset) const
    {
        return fileName_ + ":" + std::to_string(lineOf(offset)) + ":" +
               std::to_string(columnOf(offset));
    }

private:
    std::string fileName_;
    std::string text_;
    std::vector<size_t> lineStarts_;
};

/* The statements of one step: [begin, end) of the job text, from the
 * procedure name after PROC up to the RUN statement. */
struct StepSource {
    const SourceText *source = nullptr;
    size_t begin = 0;
    size_t end = 0;
};

}  // namespace orvhost

#endif
