#pragma once
// Which files found in the visited folders a search reports: attributes, size, time
// stamps, path filters and a phrase inside the file, tested cheapest first.

#include "platform/FileSystem.h"
#include "platform/FileTime.h"
#include "search/AttributesCriteria.h"
#include "search/CustomCriteria.h"
#include "search/FileCriteria.h"
#include "search/PhraseSearch.h"
#include "util/DateTime.h"

#include <cstdint>
#include <memory>
#include <string>

namespace pictavo {

// Bounds on the three file times; 0 = no bound (see IsInDateRange).
class TDateTimeCriteria : public TCustomCriteria {
public:
    TDateTime CreatedBefore = 0;
    TDateTime CreatedAfter = 0;
    TDateTime ModifiedBefore = 0;
    TDateTime ModifiedAfter = 0;
    TDateTime AccessedBefore = 0;
    TDateTime AccessedAfter = 0;

    bool Matches(const platform::FileTime& created, const platform::FileTime& modified,
                 const platform::FileTime& accessed) const;
    bool Empty() const;

    void Assign(const TCustomCriteria& source) override;
    void Clear() override;
    const char* ClassName() const override { return "TDateTimeCriteria"; }
};

// Inclusive size bounds in bytes; 0 = no bound.
class TSizeCriteria : public TCustomCriteria {
public:
    int64_t Min = 0;
    int64_t Max = 0;

    bool Matches(int64_t size) const {
        return (Min == 0 || size >= Min) && (Max == 0 || size <= Max);
    }

    void Assign(const TCustomCriteria& source) override;
    void Clear() override;
    const char* ClassName() const override { return "TSizeCriteria"; }
};

// A phrase the file must contain; an empty phrase accepts without opening the file.
class TContentCriteria : public TCustomCriteria {
public:
    const std::string& Phrase() const { return phrase_; }
    void SetPhrase(const std::string& value);
    const TStringVariants& Variants() const { return variants_; }
    TContentSearchOptions Options;

    // A file that cannot be opened or read does not match.
    bool Matches(const std::string& fileName) const;

    void Assign(const TCustomCriteria& source) override;
    void Clear() override;
    const char* ClassName() const override { return "TContentCriteria"; }

private:
    std::string phrase_;
    TStringVariants variants_;
};

class TSearchCriteria : public TCustomCriteria {
public:
    TSearchCriteria();
    ~TSearchCriteria() override;

    TFileCriteria& Files() { return *files_; }
    const TFileCriteria& Files() const { return *files_; }
    void SetFiles(const TFileCriteria& value) { files_->Assign(value); }
    TAttributesCriteria& Attributes() { return *attributes_; }
    const TAttributesCriteria& Attributes() const { return *attributes_; }
    void SetAttributes(const TAttributesCriteria& value) { attributes_->Assign(value); }
    TDateTimeCriteria& TimeStamp() { return *timeStamp_; }
    const TDateTimeCriteria& TimeStamp() const { return *timeStamp_; }
    void SetTimeStamp(const TDateTimeCriteria& value) { timeStamp_->Assign(value); }
    TSizeCriteria& Size() { return *size_; }
    const TSizeCriteria& Size() const { return *size_; }
    void SetSize(const TSizeCriteria& value) { size_->Assign(value); }
    TContentCriteria& Content() { return *content_; }
    const TContentCriteria& Content() const { return *content_; }
    void SetContent(const TContentCriteria& value) { content_->Assign(value); }

    // Attributes, size, time stamps, path filters, then content; the first failing test
    // rejects. The file-name masks are not tested here (the folder is listed by them).
    // A listing-only record is completed first when a test needs what it lacks; an entry
    // that has disappeared by then does not match.
    bool Matches(const std::string& folder, const platform::FindData& entry) const;
    // Whether Matches needs more of a record than the folder listing gives.
    bool NeedsCompleteRecord() const;

    void Assign(const TCustomCriteria& source) override;
    void Clear() override;
    const char* ClassName() const override { return "TSearchCriteria"; }

private:
    std::unique_ptr<TFileCriteria> files_;
    std::unique_ptr<TAttributesCriteria> attributes_;
    std::unique_ptr<TDateTimeCriteria> timeStamp_;
    std::unique_ptr<TSizeCriteria> size_;
    std::unique_ptr<TContentCriteria> content_;
};

} // namespace pictavo
