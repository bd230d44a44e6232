#include "console/ConsoleCopyCore.h"

#include "engine/CopyAlgorithm.h"
#include "engine/CopyStatus.h"

namespace Swiftlet {

namespace {

bool Has(const CopyItemData& item, uint32_t bits) { return item.HasFlags(bits); }

// Written completely: the writer's walk passed it and nothing made it leave it out.
bool WrittenWhole(const CopyItemData& item) {
    return Has(item, CopyItemData::Written) && !Has(item, CopyItemData::Skip | CopyItemData::Deferred);
}

}  // namespace

ConsoleJobOutcome ConsoleCopyCore::Collect(const CopyStatus& status) {
    ConsoleJobOutcome outcome;
    outcome.ran = 1;
    for (const CopyItemTree& tree : status.items.trees) {
        // A stream follows its file in the walk: the last file seen is its file.
        int lastFile = -1;
        const void* lastFileNode = nullptr;
        bool first = true;
        for (auto it = tree.begin(); it != tree.end(); ++it) {
            const CopyItemData& item = *it;
            if (item.type == CopyItemData::BaseFolder)
                continue;
            const CString source = CopyItemsData::GetSourcePath(tree, it);
            if (item.type == CopyItemData::File) {
                lastFileNode = it.get_node();
                lastFile = -1;
            }
            if (first)
                outcome.treeSources.push_back(source);
            first = false;
            if (Has(item, CopyItemData::Skip)) {
                const auto* parent = it.get_node()->parent;
                const bool topmost = parent == nullptr || parent->data.type == CopyItemData::BaseFolder ||
                                     !Has(parent->data, CopyItemData::Skip);
                // Below a skipped item, deletions and removals are left out with it; a
                // deletion skipped on its own failed.
                if (topmost && item.type == CopyItemData::DeleteSource)
                    outcome.sourcesKept.push_back(source);
                else if (topmost && item.type != CopyItemData::RemoveSourceFolder)
                    outcome.skipped.push_back({source, CopyItemsData::GetDestinationPath(tree, it)});
                continue;
            }
            if (!WrittenWhole(item))
                continue;
            const CString destination = CopyItemsData::GetDestinationPath(tree, it);
            switch (item.type) {
            case CopyItemData::File:
                lastFile = static_cast<int>(outcome.files.size());
                outcome.files.push_back({source, destination, item.size, -1});
                ++outcome.items;
                outcome.bytes += item.size;
                break;
            case CopyItemData::Stream:
                outcome.files.push_back(
                    {source, destination, item.size, it.get_node()->parent == lastFileNode ? lastFile : -1});
                outcome.bytes += item.size;
                break;
            case CopyItemData::Folder:
                outcome.folders.push_back({source, destination});
                // A folder merged into one that was there already is no new item.
                if (!Has(item, CopyItemData::Overwrite))
                    ++outcome.items;
                break;
            default:
                break;
            }
        }
    }
    return outcome;
}

void ConsoleCopyCore::AlgorithmEnded(const CopyAlgorithmMultiThread& algorithm) {
    outcome = Collect(algorithm.GetStatus());
}

}  // namespace Swiftlet
