// The undo and redo history of TMemoComponent: recording with its merge rules, replay, limits.
#include <optional>

#include "editor/MemoComponent.h"

namespace {

bool IsDeletion(const TUndoOperation& op) {
    return op.StartPos != -1 && !op.Text.empty() && op.EndPos == op.StartPos - 1;
}

bool IsInsertion(const TUndoOperation& op) {
    return op.StartPos != -1 && op.Text.empty() && op.EndPos >= op.StartPos;
}

} // namespace

// Every merge rule lives here: typing on, deleting forward and deleting backward each extend
// the newest record instead of pushing a new one.
void TMemoComponent::RecordEdit(int32_t pos, int32_t rangeEnd, std::string oldText,
                                std::string_view newText) {
    ClearRedo();
    TUndoOperation* head = FUndoList.empty() ? nullptr : &FUndoList.back();
    // An input method's commit neither extends nor is extended (CompositionCommitted).
    if (FUndoHeadClosed) head = nullptr;
    FUndoHeadClosed = false;
    const auto oldLength = static_cast<int32_t>(oldText.size());
    const auto newLength = static_cast<int32_t>(newText.size());
    if (head && !oldText.empty() && newText.empty() && IsDeletion(*head)) {
        if (head->StartPos == pos) {
            head->Text += oldText;
            FUndoTextBytes += oldText.size();
            TrimUndoToLimit();
            return;
        }
        if (rangeEnd + 1 == head->StartPos) {
            head->StartPos -= oldLength;
            head->EndPos -= oldLength;
            head->Text.insert(0, oldText);
            FUndoTextBytes += oldText.size();
            TrimUndoToLimit();
            return;
        }
    }
    if (head && oldText.empty() && !newText.empty() && IsInsertion(*head) &&
        head->EndPos + 1 == pos) {
        head->EndPos += newLength;
        return;
    }
    PushUndo({pos, pos + newLength - 1, std::move(oldText)});
}

bool TMemoComponent::PopUndo(TUndoOperation& op) {
    if (FUndoList.empty()) return false;
    op = std::move(FUndoList.back());
    FUndoList.pop_back();
    FUndoTextBytes -= op.Text.size();
    return true;
}

bool TMemoComponent::PopRedo(TUndoOperation& op) {
    if (FRedoList.empty()) return false;
    op = std::move(FRedoList.back());
    FRedoList.pop_back();
    FUndoTextBytes -= op.Text.size();
    return true;
}

TUndoOperation TMemoComponent::NewGroupMarker() {
    return {-1, -1, {}};
}

bool TMemoComponent::IsGroupMarker(const TUndoOperation& op) {
    return op.StartPos == -1;
}

void TMemoComponent::PushUndo(TUndoOperation op) {
    FUndoTextBytes += op.Text.size();
    FUndoList.push_back(std::move(op));
    TrimUndoToLimit();
}

void TMemoComponent::PushRedo(TUndoOperation op) {
    FUndoTextBytes += op.Text.size();
    FRedoList.push_back(std::move(op));
    TrimUndoToLimit();
}

void TMemoComponent::SetUndoLimit(size_t bytes) {
    FUndoLimit = bytes;
    TrimUndoToLimit();
}

// Without a limit every export would keep the whole previous script and the memory would run
// out after a few large ones; the oldest history goes first.
void TMemoComponent::TrimUndoToLimit() {
    while (FUndoTextBytes > FUndoLimit) {
        if (!FUndoList.empty())
            DropOldest(FUndoList);
        else if (!FRedoList.empty())
            DropOldest(FRedoList);
        else
            break;
    }
}

// The oldest record, or the oldest group whole, so that no half group is left to replay.
void TMemoComponent::DropOldest(std::deque<TUndoOperation>& list) {
    bool group = IsGroupMarker(list.front());
    FUndoTextBytes -= list.front().Text.size();
    list.pop_front();
    while (group && !list.empty()) {
        bool marker = IsGroupMarker(list.front());
        FUndoTextBytes -= list.front().Text.size();
        list.pop_front();
        if (marker) break;
    }
}

void TMemoComponent::ClearRedo() {
    for (const TUndoOperation& op : FRedoList)
        FUndoTextBytes -= op.Text.size();
    FRedoList.clear();
}

void TMemoComponent::ClearUndo() {
    ClearRedo();
    FUndoList.clear();
    FUndoTextBytes = 0;
    Change();
}

void TMemoComponent::SetAllowUndo(bool value) {
    FAllowUndo = value;
    if (!value) ClearUndo();
}

TUndoGroup::TUndoGroup(TMemoComponent& memo) : FMemo(memo), FOpen(memo.AllowUndo()) {
    if (!FOpen) return;
    FMemo.PushUndo(FMemo.NewGroupMarker());
    FOpenedAt = FMemo.UndoList().size();
}

TUndoGroup::~TUndoGroup() {
    if (!FOpen) return;
    const auto& list = FMemo.UndoList();
    if (list.size() == FOpenedAt && FMemo.IsGroupMarker(list.back())) {
        TUndoOperation opening;
        FMemo.PopUndo(opening);
        return;
    }
    FMemo.PushUndo(FMemo.NewGroupMarker());
}

void TMemoComponent::Replay(bool redo) {
    if (redo ? FRedoList.empty() : FUndoList.empty()) return;
    struct TReplayState {
        TMemoComponent& Memo;
        TMCRange* RestoreMark = nullptr;
        ~TReplayState() {
            if (RestoreMark) TFastObjectContainer::Free(RestoreMark);
            Memo.FUndoing = false;
        }
    } state{*this};
    FUndoing = true;
    bool inGroup = false;
    std::optional<TNotifyLock> quiet;
    std::optional<TUpdateGuard> paintLock;
    do {
        TUndoOperation op;
        if (!(redo ? PopRedo(op) : PopUndo(op))) break;
        if (IsGroupMarker(op)) {
            inGroup = !inGroup;
            if (inGroup) {
                quiet.emplace(*this);
                paintLock.emplace(*FVisibleRange);
            } else {
                paintLock.reset(); // cancels: nothing painted during the group
                HideTextCaret();
                FVisibleRange->Paint();
                if (state.RestoreMark) FSelection->Assign(*state.RestoreMark);
                PlaceCaret();
                ShowTextCaret();
                quiet.reset();
                Change();
                SelectionChange();
                FSelection->ScrollIntoView(4);
            }
            if (redo)
                PushUndo(NewGroupMarker());
            else
                PushRedo(NewGroupMarker());
            continue;
        }
        TMCRange restored(this);
        restored.SetRStart(op.StartPos);
        restored.SetREnd(op.EndPos);
        TUndoOperation inverse{0, 0, restored.GetText()};
        SetTextInMode(restored, op.Text, TReplaceMode::Exact);
        inverse.StartPos = restored.RStart();
        inverse.EndPos = restored.REnd();
        if (redo)
            PushUndo(std::move(inverse));
        else
            PushRedo(std::move(inverse));
        if (!inGroup) {
            FSelection->Assign(restored);
            FSelection->ScrollIntoView(4);
        } else if (!state.RestoreMark) {
            state.RestoreMark = &FRanges->Create<TMCRange>();
            state.RestoreMark->SetRStart(restored.REnd() + 1);
            state.RestoreMark->SetREnd(restored.REnd());
        } else if (restored.REnd() + 1 > state.RestoreMark->RStart()) {
            state.RestoreMark->SetRStart(restored.REnd() + 1);
            state.RestoreMark->SetREnd(restored.REnd());
        }
    } while (inGroup);
    quiet.reset(); // a group cut short by the history limit
    if (state.RestoreMark) {
        TFastObjectContainer::Free(state.RestoreMark);
        state.RestoreMark = nullptr;
    }
    FUndoing = false;
    Change();
}
