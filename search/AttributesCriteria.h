#pragma once
// Attribute tests: each attribute is ignored, must be set or unset, or belongs to a
// group of which at least one must be set or at least one unset.

#include "search/CustomCriteria.h"

#include <cstdint>

namespace pictavo {

enum TFileAttributeStatus { fsIgnore, fsSet, fsUnset, fsAnySet, fsAnyUnset };

class TAttributesCriteria : public TCustomCriteria {
public:
    // A new object rejects hidden files, system files and folders.
    TAttributesCriteria() = default;

    // The status of the attribute with this index; its bit is 1 << (index - 1).
    TFileAttributeStatus Status(int index) const;
    void SetStatus(int index, TFileAttributeStatus status);

    TFileAttributeStatus Readonly() const { return Status(1); }
    void SetReadonly(TFileAttributeStatus s) { SetStatus(1, s); }
    TFileAttributeStatus Hidden() const { return Status(2); }
    void SetHidden(TFileAttributeStatus s) { SetStatus(2, s); }
    TFileAttributeStatus System() const { return Status(3); }
    void SetSystem(TFileAttributeStatus s) { SetStatus(3, s); }
    TFileAttributeStatus Directory() const { return Status(5); }
    void SetDirectory(TFileAttributeStatus s) { SetStatus(5, s); }
    TFileAttributeStatus Archive() const { return Status(6); }
    void SetArchive(TFileAttributeStatus s) { SetStatus(6, s); }
    TFileAttributeStatus Device() const { return Status(7); }
    void SetDevice(TFileAttributeStatus s) { SetStatus(7, s); }
    TFileAttributeStatus Normal() const { return Status(8); }
    void SetNormal(TFileAttributeStatus s) { SetStatus(8, s); }
    TFileAttributeStatus Temporary() const { return Status(9); }
    void SetTemporary(TFileAttributeStatus s) { SetStatus(9, s); }
    TFileAttributeStatus SparseFile() const { return Status(10); }
    void SetSparseFile(TFileAttributeStatus s) { SetStatus(10, s); }
    TFileAttributeStatus ReparsePoint() const { return Status(11); }
    void SetReparsePoint(TFileAttributeStatus s) { SetStatus(11, s); }
    TFileAttributeStatus Compressed() const { return Status(12); }
    void SetCompressed(TFileAttributeStatus s) { SetStatus(12, s); }
    TFileAttributeStatus Offline() const { return Status(13); }
    void SetOffline(TFileAttributeStatus s) { SetStatus(13, s); }
    TFileAttributeStatus NotContentIndexed() const { return Status(14); }
    void SetNotContentIndexed(TFileAttributeStatus s) { SetStatus(14, s); }
    TFileAttributeStatus Encrypted() const { return Status(15); }
    void SetEncrypted(TFileAttributeStatus s) { SetStatus(15, s); }
    TFileAttributeStatus Virtual() const { return Status(17); }
    void SetVirtual(TFileAttributeStatus s) { SetStatus(17, s); }

    // The four masks of attribute bits.
    uint32_t FlagsSet() const { return set_; }
    uint32_t FlagsUnset() const { return unset_; }
    uint32_t FlagsAnySet() const { return anySet_; }
    uint32_t FlagsAnyUnset() const { return anyUnset_; }
    // Every bit that any of the four masks tests.
    uint32_t TestedBits() const { return set_ | unset_ | anySet_ | anyUnset_; }

    bool Matches(uint32_t attributes) const;

    void Assign(const TCustomCriteria& source) override;
    // Every attribute ignored, hidden, system and directory included.
    void Clear() override;
    const char* ClassName() const override { return "TAttributesCriteria"; }

private:
    uint32_t set_ = 0;
    uint32_t unset_ = 0x16; // hidden, system, directory
    uint32_t anySet_ = 0;
    uint32_t anyUnset_ = 0;
};

} // namespace pictavo
