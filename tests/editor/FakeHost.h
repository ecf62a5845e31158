// A window host for the editor tests: a client area of a given size that counts what it is asked.
#pragma once

#include <string>
#include <vector>

#include "platform/WindowHost.h"

class TFakeHost : public platform::WindowHost {
public:
    TFakeHost(int width, int height) : Width(width), Height(height) {}
    bool WindowExists() const override { return true; }
    int ClientWidth() const override { return Width; }
    int ClientHeight() const override { return Height; }
    void Invalidate() override { ++Invalidations; }
    void SetScrollRange(platform::TScrollBarKind bar, int minimum, int maximum, int page,
                        int position) override {
        auto& state = bar == platform::TScrollBarKind::Vertical ? Vertical : Horizontal;
        state = {minimum, maximum, page, position};
    }
    void SetScrollPosition(platform::TScrollBarKind bar, int position) override {
        (bar == platform::TScrollBarKind::Vertical ? Vertical : Horizontal).Position = position;
    }
    void CreateCaret(int, int height) override { CaretHeight = height; }
    void DestroyCaret() override { CaretHeight = 0; }
    void ShowCaret() override { CaretVisible = true; }
    void HideCaret() override { CaretVisible = false; }
    void SetCaretPosition(int x, int y) override { Caret = {x, y}; }

    struct TScrollState {
        int Minimum = 0, Maximum = 0, Page = 0, Position = 0;
    };
    int Width, Height;
    int Invalidations = 0;
    TScrollState Vertical, Horizontal;
    int CaretHeight = 0;
    bool CaretVisible = false;
    platform::TPoint Caret;
};
