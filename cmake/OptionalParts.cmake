# The tests and the benchmarks are optional parts of the build: a player builds the game without
# their packages. kostkolam_optional_part(PART OPTION) sets kostkolam_build_PART from OPTION:
#   ON    build it; a missing package fails the configuration (tools/run-tests.sh asks for this)
#   OFF   leave it out
#   AUTO  build it when everything it needs is installed, and say which packages are missing
#         otherwise
# and reports the choice in a status line either way.

# What each part needs, as "package:how it is found" pairs: a CMake package or a program.
set(kostkolam_needs_tests
    "libgtest-dev:package GTest"
    "xvfb:program Xvfb"
    "xdotool:program xdotool"
    "openbox:program openbox"
    "desktop-file-utils:program desktop-file-validate"
    "appstream:program appstreamcli"
    "dpkg-dev:program dpkg-shlibdeps"
    "file:program file")
if(NOT KOSTKOLAM_SANITIZE)
    list(APPEND kostkolam_needs_tests "lintian:program lintian")
endif()
set(kostkolam_needs_benchmarks "libbenchmark-dev:package benchmark")

function(kostkolam_optional_part part option)
    set(value "${${option}}")
    string(TOUPPER "${value}" value)
    if(NOT value STREQUAL "AUTO" AND NOT value)
        message(STATUS "Kostkolam ${part}: not built (${option}=${${option}})")
        set(kostkolam_build_${part} OFF PARENT_SCOPE)
        return()
    endif()

    set(missing)
    foreach(need IN LISTS kostkolam_needs_${part})
        string(REGEX MATCH "^([^:]+):(package|program) (.+)$" _ "${need}")
        set(debian_package ${CMAKE_MATCH_1})
        set(kind ${CMAKE_MATCH_2})
        set(name ${CMAKE_MATCH_3})
        if(kind STREQUAL "package")
            find_package(${name} QUIET)
            set(found ${${name}_FOUND})
        else()
            find_program(KOSTKOLAM_HAVE_${name} ${name})
            set(found ${KOSTKOLAM_HAVE_${name}})
        endif()
        if(NOT found)
            list(APPEND missing ${debian_package})
        endif()
    endforeach()
    list(JOIN missing " " missing)

    if(value STREQUAL "AUTO" AND missing)
        message(STATUS "Kostkolam ${part}: not built, missing ${missing} "
                       "(tools/install-deps.sh --tests installs them; "
                       "-D${option}=ON makes this an error)")
        set(kostkolam_build_${part} OFF PARENT_SCOPE)
    elseif(missing)
        message(FATAL_ERROR "Kostkolam ${part}: ${option}=${${option}}, but ${missing} "
                            "missing (tools/install-deps.sh --tests installs them)")
    else()
        message(STATUS "Kostkolam ${part}: built (${option}=${${option}}; everything they need is installed)")
        set(kostkolam_build_${part} ON PARENT_SCOPE)
    endif()
endfunction()
