# The page's assets as program resources. The browser control resolves every relative
# address of the page against the page's own resource address, so "css/css.css" is looked
# up as type CSS, name CSS.CSS, and "images/usb1.jpg" as type IMAGES, name USB1.JPG: the
# type is the first folder of the relative address and the name the rest, both in upper
# case (the lookup ignores case). The page itself is the HTML resource (type 23) with the
# numeric id 104.
#
# tessaly_page_resources(<page folder> <page file> <out list>) walks the folder and sets
# <out list> to entries "NAME|TYPE|file". It stops the configuration when
#  - two assets map to the same type and name (they would shadow each other),
#  - an asset's name or type cannot be written in a resource script,
#  - the page, a style sheet or a script refers to a relative address that no asset has.
# jQuery is not kept in the folder: it comes from the pinned npm package, extracted into
# the build tree (cmake/ExtractJquery.cmake) and listed as js/jquery.min.js.

include(${CMAKE_CURRENT_LIST_DIR}/ExtractJquery.cmake)

set(TESSALY_PAGE_ID 104)
set(TESSALY_PAGE_TYPE 23)

# Resource type and name of a relative address; empty when it has no folder.
function(tessaly_page_address relative out_type out_name)
  string(FIND "${relative}" "/" slash)
  if(slash LESS 1)
    set(${out_type} "" PARENT_SCOPE)
    set(${out_name} "" PARENT_SCOPE)
    return()
  endif()
  string(SUBSTRING "${relative}" 0 ${slash} folder)
  math(EXPR rest_start "${slash} + 1")
  string(SUBSTRING "${relative}" ${rest_start} -1 rest)
  string(TOUPPER "${folder}" type)
  string(TOUPPER "${rest}" name)
  set(${out_type} "${type}" PARENT_SCOPE)
  set(${out_name} "${name}" PARENT_SCOPE)
endfunction()

# The first capture of `extract` in every match of `pattern` in `text`.
function(tessaly_captured_matches text pattern extract out)
  string(REGEX MATCHALL "${pattern}" matches "${text}")
  set(values "")
  foreach(match IN LISTS matches)
    string(REGEX REPLACE "${extract}" "\\1" value "${match}")
    list(APPEND values "${value}")
  endforeach()
  set(${out} "${values}" PARENT_SCOPE)
endfunction()

# The relative addresses a text of the given kind (html, css, js) refers to: attribute
# values in the page, url(...) in style sheets and the page, quoted literals of the
# page's folders in scripts and the page. Absolute addresses and fragments are not
# assets.
function(tessaly_page_references kind text out)
  set(found "")
  if(kind STREQUAL "html")
    tessaly_captured_matches("${text}" "(src|href)[ \t]*=[ \t]*\"[^\"]*\"" "^[^\"]*\"([^\"]*)\"$" attributes)
    list(APPEND found ${attributes})
  endif()
  if(NOT kind STREQUAL "js")
    tessaly_captured_matches("${text}" "url\\([^)]*\\)"
      "^url\\([ \t\"']*([^\"' \t)]*)[ \t\"']*\\)$" urls)
    list(APPEND found ${urls})
  endif()
  if(NOT kind STREQUAL "css")
    tessaly_captured_matches("${text}" "[\"'](images|css|js)/[^\"' ]+[\"']" "^[\"'](.*)[\"']$" literals)
    list(APPEND found ${literals})
  endif()
  set(relative "")
  foreach(value IN LISTS found)
    string(REGEX REPLACE "[?#].*$" "" value "${value}")
    if(value STREQUAL "" OR value MATCHES "^[A-Za-z][A-Za-z0-9+.-]*:" OR value MATCHES "^/")
      continue()
    endif()
    list(APPEND relative "${value}")
  endforeach()
  list(REMOVE_DUPLICATES relative)
  set(${out} "${relative}" PARENT_SCOPE)
endfunction()

function(tessaly_page_resources page_dir page_file out_list)
  set(jquery_relative "js/jquery.min.js")
  set(jquery_built "${CMAKE_CURRENT_BINARY_DIR}/page/${jquery_relative}")
  if(WIN32)
    tessaly_extract_jquery("${PROJECT_SOURCE_DIR}/node_modules/jquery/dist/node-jquery.min.js" "${jquery_built}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                 "${PROJECT_SOURCE_DIR}/node_modules/jquery/dist/node-jquery.min.js")
  endif()

  file(GLOB_RECURSE files LIST_DIRECTORIES false CONFIGURE_DEPENDS RELATIVE "${page_dir}" "${page_dir}/*")
  list(SORT files)
  list(APPEND files "${jquery_relative}")

  set(entries "${TESSALY_PAGE_ID}|${TESSALY_PAGE_TYPE}|${page_dir}/${page_file}")
  set(addresses "")
  set(owners "")
  foreach(relative IN LISTS files)
    if(relative STREQUAL page_file)
      continue()
    endif()
    tessaly_page_address("${relative}" type name)
    if(type STREQUAL "")
      message(FATAL_ERROR "page asset ${relative}: every asset but the page lies in a folder "
                          "(its resource type), this one has none")
    endif()
    # The resource script names both unquoted (quoted names run into the previous line's
    # file name), so they must be plain words.
    if(NOT type MATCHES "^[A-Z_][A-Z0-9_]*$" OR NOT name MATCHES "^[A-Z_][A-Z0-9_./-]*$")
      message(FATAL_ERROR "page asset ${relative}: type ${type} / name ${name} cannot be written "
                          "in a resource script (use letters, digits, '_', '.', '-', starting with a letter)")
    endif()
    set(address "${type}/${name}")
    list(FIND addresses "${address}" clash)
    if(NOT clash EQUAL -1)
      list(GET owners ${clash} other)
      message(FATAL_ERROR "page assets ${other} and ${relative} both map to resource type ${type}, "
                          "name ${name}")
    endif()
    list(APPEND addresses "${address}")
    list(APPEND owners "${relative}")
    if(relative STREQUAL jquery_relative)
      set(path "${jquery_built}")
    else()
      set(path "${page_dir}/${relative}")
    endif()
    list(APPEND entries "${name}|${type}|${path}")
  endforeach()

  # Every relative address the page, its style sheets and its scripts use must be one of
  # the assets (scripts build picture addresses relative to the page, style sheets
  # relative to themselves).
  foreach(relative IN LISTS owners ITEMS "${page_file}")
    if(NOT relative MATCHES "\\.(html|css|js)$" OR relative STREQUAL jquery_relative)
      continue()
    endif()
    string(REGEX REPLACE "^.*\\." "" kind "${relative}")
    file(READ "${page_dir}/${relative}" text)
    tessaly_page_references(${kind} "${text}" references)
    get_filename_component(folder "${relative}" DIRECTORY)
    foreach(reference IN LISTS references)
      if(relative MATCHES "\\.css$")
        set(target "${folder}/${reference}")
      else()
        set(target "${reference}")
      endif()
      cmake_path(SET target NORMALIZE "${target}")
      tessaly_page_address("${target}" type name)
      list(FIND addresses "${type}/${name}" known)
      if(known EQUAL -1 OR target MATCHES "^\\.\\./")
        message(FATAL_ERROR "${relative} refers to \"${reference}\", which is no asset of the page "
                            "(looked for ${target} in ${page_dir})")
      endif()
    endforeach()
  endforeach()

  set(${out_list} "${entries}" PARENT_SCOPE)
endfunction()
