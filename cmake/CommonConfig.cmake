# One INTERFACE target carries the language standard, the warnings and Qt's strictness
# macros; every target of the project links it.
add_library(boardcast_common INTERFACE)
target_compile_features(boardcast_common INTERFACE cxx_std_20)
# Qt's and GoogleTest's headers come in as system headers, so these apply to our code only.
target_compile_options(boardcast_common INTERFACE -Wall -Wextra -Wpedantic
    -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual)
# CI builds with warnings as errors, so that none creeps into the project's own code.
option(BOARDCAST_WERROR "Treat warnings as errors" OFF)
if(BOARDCAST_WERROR)
    target_compile_options(boardcast_common INTERFACE -Werror)
endif()
target_compile_definitions(boardcast_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_CONTEXTLESS_CONNECT
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_KEYWORDS)

if(BOARDCAST_SANITIZE OR BOARDCAST_FUZZ)
    target_compile_options(boardcast_common INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(boardcast_common INTERFACE -fsanitize=address,undefined)
endif()
# Coverage feedback for libFuzzer in every library a fuzz target links.
if(BOARDCAST_FUZZ)
    target_compile_options(boardcast_common INTERFACE -fsanitize=fuzzer-no-link)
endif()

# The pure libraries must stay free of Qt so that they build and test without a display.
function(boardcast_assert_pure target)
    get_target_property(libs ${target} LINK_LIBRARIES)
    foreach(lib IN LISTS libs)
        if(lib MATCHES "^Qt")
            message(FATAL_ERROR "${target} is a pure library and must not link ${lib}")
        endif()
    endforeach()
endfunction()
