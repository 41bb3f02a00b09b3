#include "app/TileRenderer.h"

#include "library/FileIcons.h"

size_t TTileKeyHash::operator()(const TTileKey& key) const {
    size_t hash = std::hash<std::string>()(key.File);
    for (const int64_t part :
         {key.Size, key.ModifiedNs, key.Inode, key.ChangedNs, int64_t(key.IconIndex),
          int64_t(key.IconSize),
          int64_t(key.TileSide), int64_t(key.RatioPercent)})
        hash = hash * 1099511628211ULL ^ std::hash<int64_t>()(part);
    return hash;
}

TTileRenderer::TTileRenderer(QObject* parent) : QObject(parent), FThread([this] { Work(); }) {}

TTileRenderer::~TTileRenderer() {
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStop = true;
        FQueue.clear();
    }
    FWake.notify_all();
    FThread.join();
}

void TTileRenderer::Want(std::vector<TTileKey> keys) {
    {
        std::lock_guard<std::mutex> lock(FLock);
        FQueue.assign(std::make_move_iterator(keys.begin()), std::make_move_iterator(keys.end()));
    }
    FWake.notify_all();
}

int TTileRenderer::Waiting() const {
    std::lock_guard<std::mutex> lock(FLock);
    return static_cast<int>(FQueue.size()) + (FBusy ? 1 : 0);
}

void TTileRenderer::Work() {
    // Tiles in sight mostly come from one file after another: keep it open, until another
    // version of it is asked for.
    auto loader = std::make_unique<pictavo::TFileIconLoader>();
    TTileKey open;
    for (;;) {
        TTileKey key;
        {
            std::unique_lock<std::mutex> lock(FLock);
            FBusy = false;
            FWake.wait(lock, [this] { return FStop || !FQueue.empty(); });
            if (FStop)
                return;
            key = std::move(FQueue.front());
            FQueue.pop_front();
            FBusy = true;
        }
        if (!key.SameFileVersion(open) && key.File == open.File)
            loader = std::make_unique<pictavo::TFileIconLoader>();
        open = key;
        const TTileIcon icon = RenderTileIcon(key.File, key.IconIndex, key.IconSize, key.TileSide,
                                              key.RatioPercent / 100.0, loader.get());
        QMetaObject::invokeMethod(
            this,
            [this, key, icon] {
                if (OnRendered)
                    OnRendered(key, icon);
            },
            Qt::QueuedConnection);
    }
}
