# Settings shared by every target of the project, carried by one INTERFACE target.
option(WAGETROVE_WERROR "Treat compiler warnings as errors" OFF)
option(WAGETROVE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

add_library(wagetrove_common_config INTERFACE)
target_compile_features(wagetrove_common_config INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(wagetrove_common_config INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(wagetrove_common_config INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CONTEXTLESS_CONNECT
    QT_NO_KEYWORDS)

if(WAGETROVE_WERROR)
    target_compile_options(wagetrove_common_config INTERFACE -Werror)
endif()

if(WAGETROVE_SANITIZE)
    target_compile_options(wagetrove_common_config INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(wagetrove_common_config INTERFACE -fsanitize=address,undefined)
endif()
