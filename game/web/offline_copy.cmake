# Writes the page's service worker, OUTPUT, from its template SOURCE for the files FILES (a comma-
# separated list) in DIR. The cache it fills is named after the files' content, so every build
# that changes any of them gets a service worker and a cache of its own, and the browser, seeing
# a new service worker, replaces the copy it keeps.
string(REPLACE "," ";" files "${FILES}")
set(digests "")
set(quoted "")
foreach(file ${files})
  file(SHA256 ${DIR}/${file} digest)
  string(APPEND digests "${file} ${digest}\n")
  list(APPEND quoted "'${file}'")
endforeach()
string(SHA256 build "${digests}")
string(SUBSTRING ${build} 0 16 build)
set(VANTOR_WEB_CACHE "vantor-${build}")
list(JOIN quoted ", " VANTOR_WEB_FILES)
configure_file(${SOURCE} ${OUTPUT} @ONLY)
