// A metadata record read on first request and kept: its text as found in
// the file and, once asked for, its parsed value.
#pragma once

#include <cstdint>

#include <string>

enum ELxJP2RecordState : uint8_t {
    eJp2RecordNotLookedUp = 0,
    eJp2RecordAbsent = 1,
    eJp2RecordText = 2,   // text kept
    eJp2RecordParsed = 3, // value parsed (the text is still kept)
};

template <class T> struct CLxJP2LazyRecord {
    ELxJP2RecordState eState = eJp2RecordNotLookedUp;
    std::string sText; // the whole own box text
    T value{};

    bool HasText() const { return eState == eJp2RecordText || eState == eJp2RecordParsed; }
    void Keep(std::string text)
    {
        sText = std::move(text);
        eState = eJp2RecordText;
    }
};
