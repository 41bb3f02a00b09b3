#include "search/SearchCriteria.h"

#include "search/CriteriaRoutines.h"

#include <exception>

namespace pictavo {

namespace {

bool PairMatches(const platform::FileTime& time, TDateTime before, TDateTime after) {
    return (before == 0 && after == 0) ||
           IsInDateRange(FileTimeToLocalDateTime(time), before, after);
}

} // namespace

bool TDateTimeCriteria::Matches(const platform::FileTime& created,
                                const platform::FileTime& modified,
                                const platform::FileTime& accessed) const {
    return PairMatches(created, CreatedBefore, CreatedAfter) &&
           PairMatches(modified, ModifiedBefore, ModifiedAfter) &&
           PairMatches(accessed, AccessedBefore, AccessedAfter);
}

bool TDateTimeCriteria::Empty() const {
    return CreatedBefore == 0 && CreatedAfter == 0 && ModifiedBefore == 0 && ModifiedAfter == 0 &&
           AccessedBefore == 0 && AccessedAfter == 0;
}

void TDateTimeCriteria::Assign(const TCustomCriteria& source) {
    const auto* other = dynamic_cast<const TDateTimeCriteria*>(&source);
    if (other == nullptr)
        return TCustomCriteria::Assign(source);
    CreatedBefore = other->CreatedBefore;
    CreatedAfter = other->CreatedAfter;
    ModifiedBefore = other->ModifiedBefore;
    ModifiedAfter = other->ModifiedAfter;
    AccessedBefore = other->AccessedBefore;
    AccessedAfter = other->AccessedAfter;
}

void TDateTimeCriteria::Clear() {
    CreatedBefore = CreatedAfter = 0;
    ModifiedBefore = ModifiedAfter = 0;
    AccessedBefore = AccessedAfter = 0;
}

void TSizeCriteria::Assign(const TCustomCriteria& source) {
    const auto* other = dynamic_cast<const TSizeCriteria*>(&source);
    if (other == nullptr)
        return TCustomCriteria::Assign(source);
    Min = other->Min;
    Max = other->Max;
}

void TSizeCriteria::Clear() {
    Min = Max = 0;
}

void TContentCriteria::SetPhrase(const std::string& value) {
    if (value != phrase_) {
        phrase_ = value;
        variants_ = TStringVariants::FromPhrase(value);
    }
}

bool TContentCriteria::Matches(const std::string& fileName) const {
    if (phrase_.empty())
        return true;
    try {
        return SearchFileForPhrase(fileName, variants_, Options);
    } catch (const std::exception&) {
        return false;
    }
}

void TContentCriteria::Assign(const TCustomCriteria& source) {
    const auto* other = dynamic_cast<const TContentCriteria*>(&source);
    if (other == nullptr)
        return TCustomCriteria::Assign(source);
    SetPhrase(other->phrase_);
    Options = other->Options;
}

void TContentCriteria::Clear() {
    SetPhrase("");
    Options = TContentSearchOptions();
}

TSearchCriteria::TSearchCriteria()
    : files_(std::make_unique<TFileCriteria>()),
      attributes_(std::make_unique<TAttributesCriteria>()),
      timeStamp_(std::make_unique<TDateTimeCriteria>()), size_(std::make_unique<TSizeCriteria>()),
      content_(std::make_unique<TContentCriteria>()) {}

TSearchCriteria::~TSearchCriteria() = default;

bool TSearchCriteria::NeedsCompleteRecord() const {
    return (attributes_->TestedBits() & platform::FILE_ATTRIBUTE_READONLY) != 0 ||
           size_->Min != 0 || size_->Max != 0 || !timeStamp_->Empty();
}

bool TSearchCriteria::Matches(const std::string& folder, const platform::FindData& entry) const {
    if (!entry.Complete && NeedsCompleteRecord()) {
        platform::FindData complete = entry;
        return platform::CompleteFindData(folder, complete) && Matches(folder, complete);
    }
    return attributes_->Matches(entry.FileAttributes) && size_->Matches(entry.Size()) &&
           timeStamp_->Matches(entry.CreationTime, entry.LastWriteTime, entry.LastAccessTime) &&
           files_->MatchesFilters(folder, entry.FileName) &&
           (content_->Phrase().empty() || content_->Matches(folder + entry.FileName));
}

void TSearchCriteria::Assign(const TCustomCriteria& source) {
    const auto* other = dynamic_cast<const TSearchCriteria*>(&source);
    if (other == nullptr)
        return TCustomCriteria::Assign(source);
    files_->Assign(*other->files_);
    attributes_->Assign(*other->attributes_);
    timeStamp_->Assign(*other->timeStamp_);
    size_->Assign(*other->size_);
    content_->Assign(*other->content_);
}

void TSearchCriteria::Clear() {
    files_->Clear();
    attributes_->Clear();
    timeStamp_->Clear();
    size_->Clear();
    content_->Clear();
}

} // namespace pictavo
