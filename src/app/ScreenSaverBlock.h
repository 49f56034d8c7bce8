// Keeps the screen saver from starting while the option asks for it: a
// mouse move of nothing, now and then, counts as input.
#pragma once

#include "app/ComponentList.h"
#include "ui/Timer.h"

class TScreenSaverBlock {
public:
    explicit TScreenSaverBlock(TComponentList& components);
    TScreenSaverBlock(const TScreenSaverBlock&) = delete;
    TScreenSaverBlock& operator=(const TScreenSaverBlock&) = delete;

    void SetEnabled(bool value) { tmrBlockScrSvr->SetEnabled(value); }

private:
    void tmrBlockScrSvrTimer();

    ui::TTimer* tmrBlockScrSvr;
};
