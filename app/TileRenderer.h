// Renders tile icons on a thread of its own, so that scrolling never waits for a file:
// the view says which tiles it wants (those in sight, the waiting ones it no longer
// shows are dropped) and is told each icon on its own thread as it is done.
#pragma once

#include "app/TileIcon.h"

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// What a painted tile icon depends on: the file's version (see TTileFile), the icon, the
// tile's size and the screen's density.
struct TTileKey {
    std::string File;
    int64_t Size = 0;
    int64_t ModifiedNs = 0;
    int64_t Inode = 0;
    int64_t ChangedNs = 0;
    int IconIndex = 0;
    int IconSize = 0;
    int TileSide = 0;
    int RatioPercent = 100;
    bool operator==(const TTileKey&) const = default;
    bool SameFileVersion(const TTileKey& other) const {
        return File == other.File && Size == other.Size && ModifiedNs == other.ModifiedNs &&
               Inode == other.Inode && ChangedNs == other.ChangedNs;
    }
};

struct TTileKeyHash {
    size_t operator()(const TTileKey& key) const;
};

class TTileRenderer : public QObject {
    Q_OBJECT
public:
    explicit TTileRenderer(QObject* parent = nullptr);
    ~TTileRenderer() override;

    // Told each rendered icon, on the owner's thread.
    std::function<void(const TTileKey&, const TTileIcon&)> OnRendered;

    // The icons to render next, first first; replaces those still waiting.
    void Want(std::vector<TTileKey> keys);
    // Icons waiting or being rendered.
    int Waiting() const;

private:
    void Work();

    mutable std::mutex FLock;
    std::condition_variable FWake;
    std::deque<TTileKey> FQueue;
    bool FBusy = false;
    bool FStop = false;
    std::thread FThread;
};
