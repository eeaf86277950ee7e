#pragma once

// The language the windows, their messages and the help text are shown in.
enum class Language {
    Chinese,
    English,
};
