# Installs the build into a temporary prefix and checks that the installed tree works on its own:
# the files are where they belong, and the installed tavilc registers the installed component
# and writes the script of the installed sample.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -P InstallTree.cmake
set(prefix ${WORK_DIR}/prefix)
set(config ${WORK_DIR}/config)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${config})

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc}):\n${out}\n${err}")
endif()

# The installed libraries' folder, whatever the library folder is called.
file(GLOB_RECURSE korva ${prefix}/*/libkorva.so)
list(LENGTH korva n)
if(NOT n EQUAL 1)
  message(FATAL_ERROR "expected one installed libkorva.so, found: ${korva}")
endif()
get_filename_component(libdir ${korva} DIRECTORY)

foreach(f bin/tavil bin/tavilc
          share/tavilor/help/index.html share/tavilor/help/context.map share/tavilor/help/style.css
          share/tavilor/tavil.tip share/tavilor/samples/bookshop.snapshot share/tavilor/samples/bookshop-all.qvx
          share/applications/tavilor.desktop share/icons/hicolor/scalable/apps/tavilor.svg share/mime/packages/tavilor.xml)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
if(NOT EXISTS ${libdir}/libsqldmo.so.0)
  message(FATAL_ERROR "libsqldmo.so.0 is not beside libkorva.so in ${libdir}")
endif()
if(EXISTS ${prefix}/bin/libkorva.so)
  message(FATAL_ERROR "the component must not be installed beside the programs")
endif()

# A user who never ran the program: the installed tavilc registers the component and scripts the
# sample from the installed data folder.
set(ENV{XDG_CONFIG_HOME} ${config})
set(ENV{LD_LIBRARY_PATH} "")
execute_process(COMMAND ${prefix}/bin/tavilc generate ${prefix}/share/tavilor/samples/bookshop-all.qvx -o ${WORK_DIR}/bookshop.sql
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "installed tavilc generate failed (${rc}):\n${out}\n${err}")
endif()
file(READ ${WORK_DIR}/bookshop.sql script)
foreach(expected "CREATE TABLE [dbo].[Authors]" "INSERT INTO [dbo].[Authors]" "CREATE VIEW")
  string(FIND "${script}" "${expected}" at)
  if(at LESS 0)
    message(FATAL_ERROR "the script lacks \"${expected}\"")
  endif()
endforeach()
file(READ ${config}/quillomere/classes-root.reg registry)
file(REAL_PATH ${korva} real_korva)
string(FIND "${registry}" "${real_korva}" at)
if(at LESS 0)
  message(FATAL_ERROR "the component was not registered with its installed path ${real_korva}:\n${registry}")
endif()

# The verification runs from the installed tree as well.
execute_process(COMMAND ${prefix}/bin/tavilc verify ${prefix}/share/tavilor/samples/bookshop-all.qvx
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "No errors found in command file.")
  message(FATAL_ERROR "installed tavilc verify failed (${rc}):\n${out}\n${err}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
message(STATUS "installed tree in ${prefix} works")
