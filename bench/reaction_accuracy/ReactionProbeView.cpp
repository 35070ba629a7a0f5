#include "bench/reaction_accuracy/ReactionProbeView.h"

#include <cstdio>

void ReactionProbeView::setCaption(MainLabel label, const std::string& text)
{
    view_.setCaption(label, text);
    // The counters the benchmark compares, never the typed letter.
    if (label != MainLabel::Type)
        std::fprintf(stderr, "zumikko-probe %s %s\n",
                     label == MainLabel::Score  ? "score"
                     : label == MainLabel::Miss ? "miss"
                                                : "kaisu",
                     text.c_str());
}
