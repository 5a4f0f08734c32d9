# The site as an installable web app kept for playing offline: the service worker, written once
# every other file of the site is built (web/make-service-worker.mjs) with the list of them all and
# a version made of their contents. Included from web/CMakeLists.txt after every file of the site
# is in site_outputs (the manifest, its icons drawn by tools/make_icons.py --web, and offline.js,
# which registers the worker, among them).
set(service_worker_source ${CMAKE_CURRENT_SOURCE_DIR}/site/service-worker.js)
set(service_worker_writer ${CMAKE_CURRENT_SOURCE_DIR}/make-service-worker.mjs)
add_custom_command(OUTPUT ${site}/service-worker.js
    COMMAND ${KOSTKOLAM_NODE} ${service_worker_writer} ${site} ${service_worker_source}
            ${site}/service-worker.js kostkolam-folder.js
    DEPENDS ${site_outputs} kostkolam-page ${service_worker_source} ${service_worker_writer}
    COMMENT "Writing the site's service worker with the list of the built files"
    VERBATIM)
list(APPEND site_outputs ${site}/service-worker.js)
