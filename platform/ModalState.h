#pragma once

// Whether a modal box of the program is open, so that the player cannot answer the game.
class ModalState {
public:
    virtual ~ModalState() = default;
    virtual bool modalOpen() const = 0;
};
