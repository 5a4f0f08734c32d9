# The browser tests: every web/tests/NAME.test.mjs runs as the ctest entry browser/NAME, with
# `node --test`, against Debian's chromium (headless) driven by puppeteer-core. The harness they
# share is web/tests/harness.mjs; it serves the built site (build-web/site) itself.
#
# puppeteer-core comes from npm at the exact versions of web/package-lock.json: the build runs
# `npm ci` (which needs the npm registry) into build-web/npm/, never into the source tree, and
# again only when the lock file changes. puppeteer-core downloads no browser; the tests use
# /usr/bin/chromium. Included once, from web/CMakeLists.txt or the top-level file.
include_guard(GLOBAL)

find_program(KOSTKOLAM_NODE NAMES node nodejs REQUIRED)
find_program(KOSTKOLAM_NPM npm REQUIRED)
find_program(KOSTKOLAM_CHROMIUM chromium PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)

set(browser_npm_dir ${CMAKE_BINARY_DIR}/npm)
set(browser_npm_stamp ${browser_npm_dir}/npm-ci.stamp)
add_custom_command(
    OUTPUT ${browser_npm_stamp}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${browser_npm_dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_LIST_DIR}/package.json
            ${CMAKE_CURRENT_LIST_DIR}/package-lock.json ${browser_npm_dir}
    COMMAND ${CMAKE_COMMAND} -E env npm_config_update_notifier=false
            ${KOSTKOLAM_NPM} ci --ignore-scripts --no-audit --no-fund --loglevel=error
    COMMAND ${CMAKE_COMMAND} -E touch ${browser_npm_stamp}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/package.json ${CMAKE_CURRENT_LIST_DIR}/package-lock.json
    WORKING_DIRECTORY ${browser_npm_dir}
    COMMENT "Installing the browser tests' npm packages (npm ci) into ${browser_npm_dir}"
    VERBATIM)
add_custom_target(browser_test_packages ALL DEPENDS ${browser_npm_stamp})

file(GLOB browser_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/tests/*.test.mjs)
foreach(file IN LISTS browser_tests)
    get_filename_component(name ${file} NAME)
    string(REGEX REPLACE "\\.test\\.mjs$" "" name "${name}")
    add_test(NAME browser/${name} COMMAND ${KOSTKOLAM_NODE} --test ${file})
    set_tests_properties(browser/${name} PROPERTIES
        ENVIRONMENT "KOSTKOLAM_SITE=${CMAKE_BINARY_DIR}/site;KOSTKOLAM_NPM_DIR=${browser_npm_dir};KOSTKOLAM_CHROMIUM=${KOSTKOLAM_CHROMIUM};KOSTKOLAM_SCRIPT=${CMAKE_BINARY_DIR}/kostkolam-script.js;KOSTKOLAM_SCREENSHOTS=${CMAKE_BINARY_DIR}/screenshots"
        LABELS browser
        TIMEOUT 300
        # One chromium at a time: two of them on two cores make each other's timers late.
        RESOURCE_LOCK chromium)
endforeach()

# Every scenario file through the page: scenario-page/NAME compares what the page printed for
# NAME with NAME.expected, as the other backends' entries do (tests/RunScenario.cmake). The page
# plays them all in one chromium first (the fixture browser/scenario-page), since a browser started
# per file would cost more than the files themselves.
set(scenario_results ${CMAKE_BINARY_DIR}/scenario-page-results)
set(scenarios_dir ${PROJECT_SOURCE_DIR}/tests/scenarios)
set(play_scenarios ${CMAKE_CURRENT_LIST_DIR}/tests/play-scenarios.mjs)
add_test(NAME browser/scenario-page
         COMMAND ${KOSTKOLAM_NODE} ${play_scenarios} play ${scenario_results} ${scenarios_dir})
set_tests_properties(browser/scenario-page PROPERTIES
    ENVIRONMENT "KOSTKOLAM_SITE=${CMAKE_BINARY_DIR}/site;KOSTKOLAM_SCENARIO_SITE=${CMAKE_BINARY_DIR}/scenario-site;KOSTKOLAM_NPM_DIR=${browser_npm_dir};KOSTKOLAM_CHROMIUM=${KOSTKOLAM_CHROMIUM}"
    FIXTURES_SETUP scenario_page
    LABELS browser
    TIMEOUT 300
    RESOURCE_LOCK chromium)
file(GLOB_RECURSE page_scenarios CONFIGURE_DEPENDS ${scenarios_dir}/*.txt)
foreach(scenario IN LISTS page_scenarios)
    file(RELATIVE_PATH name ${scenarios_dir} ${scenario})
    string(REGEX REPLACE "\\.txt$" "" name "${name}")
    add_test(NAME scenario-page/${name}
             COMMAND ${CMAKE_COMMAND}
                     "-DRUNNER=${KOSTKOLAM_NODE}$<SEMICOLON>${play_scenarios}$<SEMICOLON>result$<SEMICOLON>${scenario_results}$<SEMICOLON>${name}"
                     -DSCENARIO=${scenario} -P ${PROJECT_SOURCE_DIR}/tests/RunScenario.cmake)
    set_tests_properties(scenario-page/${name} PROPERTIES
        FIXTURES_REQUIRED scenario_page LABELS browser)
endforeach()
