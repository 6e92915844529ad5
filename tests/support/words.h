// A CommandLine over its own copy of the words, which it only points at; word 0 is the program.
#pragma once

#include "tarvo/core/commandline.h"

#include <string>
#include <vector>

namespace tarvo
{

struct Words {
    explicit Words(std::vector<std::string> list)
        : text(std::move(list)), pointers(pointersTo(text))
    {
    }
    Words(const Words&) = delete;
    Words& operator=(const Words&) = delete;

    static std::vector<char*> pointersTo(std::vector<std::string>& words)
    {
        std::vector<char*> pointers;
        for (auto& word : words) {
            pointers.push_back(word.data());
        }
        return pointers;
    }

    std::vector<std::string> text;
    std::vector<char*> pointers;
    CommandLine line{static_cast<int>(pointers.size()), pointers.data()};
};

} // namespace tarvo
