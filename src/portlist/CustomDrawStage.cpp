#include "CustomDrawStage.h"

namespace kestrel {

DrawStage ClassifyDrawStage(uint32_t drawStage) {
    switch (drawStage) {
    case kDrawPrePaint: return DrawStage::PrePaint;
    case kDrawItemPrePaint: return DrawStage::ItemPrePaint;
    case kDrawItemPostPaint: return DrawStage::ItemPostPaint;
    case kDrawItemPrePaint | kDrawSubItem: return DrawStage::SubItemPrePaint;
    default: return DrawStage::Other;
    }
}

uint32_t DrawStageResult(DrawStage stage, bool skipDefault) {
    const uint32_t skip = skipDefault ? kDrawSkipDefault : 0;
    switch (stage) {
    case DrawStage::PrePaint:
    case DrawStage::ItemPrePaint: return kDrawNotifyItemDraw | kDrawNotifyPostPaint | skip;
    case DrawStage::SubItemPrePaint: return kDrawNotifyPostPaint | skip;
    default: return kDrawDoDefault;
    }
}

}  // namespace kestrel
