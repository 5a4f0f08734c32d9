# The site as an installable web app kept for playing offline: the manifest with its icons (drawn
# by tools/make_icons.py --web), the script that registers the service worker, and the service
# worker itself, written once every other file of the site is built (web/make-service-worker.mjs)
# with the list of them all and a version made of their contents. Included from web/CMakeLists.txt
# after every file of the site is in site_outputs; adds its own.
foreach(file IN ITEMS manifest.webmanifest offline.js icons/icon-192.png icons/icon-512.png
                      icons/icon-maskable-192.png icons/icon-maskable-512.png)
    add_custom_command(OUTPUT ${site}/${file}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_CURRENT_SOURCE_DIR}/site/${file}
                ${site}/${file}
        DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/site/${file})
    list(APPEND site_outputs ${site}/${file})
endforeach()

set(service_worker_source ${CMAKE_CURRENT_SOURCE_DIR}/site/service-worker.js)
set(service_worker_writer ${CMAKE_CURRENT_SOURCE_DIR}/make-service-worker.mjs)
add_custom_command(OUTPUT ${site}/service-worker.js
    COMMAND ${KOSTKOLAM_NODE} ${service_worker_writer} ${site} ${service_worker_source}
            ${site}/service-worker.js
    DEPENDS ${site_outputs} kostkolam-page ${service_worker_source} ${service_worker_writer}
    COMMENT "Writing the site's service worker with the list of the built files"
    VERBATIM)
list(APPEND site_outputs ${site}/service-worker.js)
