# Shipping: one version for everything, the keys that sign and check
# updates, the updater programs and the packages people download.
#
# - The version is the VERSION file's (the top CMakeLists.txt reads it into
#   LIFTORN_VERSION). From it the build generates product_version.cpp (the
#   texts the code uses: own version, user agent), product_version.h (the
#   numbers of the VERSIONINFO resources) and the executables' manifests.
# - LIFTORN_SIGNING_KEY names the Ed25519 private key (PEM) that release
#   manifests are signed with; iupdater.exe gets its public half compiled
#   in. Left empty (or "dev"), the build makes a development key of its own
#   in keys/development.pem; a named key that has gone stops the build. A second throw-away key (keys/test.pem) is made
#   for the tests, with an updater of its own (iupdater-test.exe), so that
#   no test ever needs the release key.
# - LIFTORN_SIGNING_CERT names the Authenticode certificate (PKCS#12) that
#   signs the package's executables, its uninstaller and its installer
#   (scripts/sign-file.sh; the password comes from SIGNING_CERT_PASSWORD in
#   the environment of the build). Left empty, nothing is signed. The
#   tests' signed package (test-packages/signed) uses a throw-away
#   self-signed certificate made in keys/.
# - Packages (NSIS installer and portable zip) are built in package/;
#   scripts/dist.sh turns them into build/dist with SHA256SUMS and the
#   signed manifest. The tests' packages (test-packages/current and
#   test-packages/next, a build of the same program one patch version later)
#   carry iupdater-test.exe.

set(LIFTORN_VERSION_DIR ${CMAKE_BINARY_DIR}/generated/version)
set(LIFTORN_NEXT_VERSION_DIR ${CMAKE_BINARY_DIR}/generated/next-version)

# liftorn_version_files(<version> <folder>): the generated files for one version.
function(liftorn_version_files version folder)
    if(NOT version MATCHES "^(0|[1-9][0-9]*)\\.(0|[1-9][0-9]*)\\.(0|[1-9][0-9]*)$")
        message(FATAL_ERROR "VERSION must be three numbers like 1.2.5, not '${version}'")
    endif()
    set(LIFTORN_VERSION ${version})
    set(LIFTORN_VERSION_MAJOR ${CMAKE_MATCH_1})
    set(LIFTORN_VERSION_MINOR ${CMAKE_MATCH_2})
    set(LIFTORN_VERSION_PATCH ${CMAKE_MATCH_3})
    foreach(part ${LIFTORN_VERSION_MAJOR} ${LIFTORN_VERSION_MINOR} ${LIFTORN_VERSION_PATCH})
        if(part GREATER 65535)
            message(FATAL_ERROR "each part of VERSION must fit a version resource (65535 at most)")
        endif()
    endforeach()
    set(LIFTORN_VERSION_QUAD ${version}.0)
    configure_file(${CMAKE_SOURCE_DIR}/src/base/product_version.cpp.in ${folder}/product_version.cpp @ONLY)
    configure_file(${CMAKE_SOURCE_DIR}/res/product_version.h.in ${folder}/product_version.h @ONLY)
    configure_file(${CMAKE_SOURCE_DIR}/res/liftorn.manifest.in ${folder}/liftorn.manifest @ONLY)
    configure_file(${CMAKE_SOURCE_DIR}/res/updater.manifest.in ${folder}/updater.manifest @ONLY)
endfunction()

liftorn_version_files(${LIFTORN_VERSION} ${LIFTORN_VERSION_DIR})
set(LIFTORN_VERSION_SOURCE ${LIFTORN_VERSION_DIR}/product_version.cpp)
set(LIFTORN_VERSION_FILES ${LIFTORN_VERSION_DIR}/product_version.h ${LIFTORN_VERSION_DIR}/liftorn.manifest)
# The "newer release" of the update tests: the same program, one patch on.
math(EXPR _next_patch "${PROJECT_VERSION_PATCH} + 1")
set(LIFTORN_NEXT_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${_next_patch})
liftorn_version_files(${LIFTORN_NEXT_VERSION} ${LIFTORN_NEXT_VERSION_DIR})

if(NOT WIN32)
    return()
endif()

# Resource scripts find product_version.h and the manifests here.
string(APPEND CMAKE_RC_FLAGS " -I${LIFTORN_VERSION_DIR}")

find_package(Python3 COMPONENTS Interpreter REQUIRED)
find_program(LIFTORN_MAKENSIS makensis REQUIRED)
set(LIFTORN_RELEASE_TOOL ${CMAKE_SOURCE_DIR}/tools/release.py)

set(LIFTORN_SIGNING_KEY "" CACHE STRING
    "Ed25519 private key (PEM) for release manifests; empty or dev: the build's own development key")
set(LIFTORN_KEY_DIR ${CMAKE_BINARY_DIR}/keys)
set(LIFTORN_TEST_KEY ${LIFTORN_KEY_DIR}/test.pem)
# scripts/dist.sh sets the key on every run and checks it first.
include(${CMAKE_SOURCE_DIR}/cmake/SigningKey.cmake)
liftorn_choose_release_key("${LIFTORN_SIGNING_KEY}" ${LIFTORN_KEY_DIR} LIFTORN_RELEASE_KEY)

set(LIFTORN_SIGNING_CERT "" CACHE FILEPATH
    "Authenticode certificate (PKCS#12) for the package's executables; empty: unsigned")
# scripts/dist.sh checks the certificate before it sets it here.
if(LIFTORN_SIGNING_CERT AND NOT EXISTS ${LIFTORN_SIGNING_CERT})
    message(FATAL_ERROR "LIFTORN_SIGNING_CERT ${LIFTORN_SIGNING_CERT} does not exist")
endif()
set(LIFTORN_TEST_CERT ${LIFTORN_KEY_DIR}/test-cert.pfx)
set(LIFTORN_TEST_CERT_PEM ${LIFTORN_KEY_DIR}/test-cert.pem)
set(LIFTORN_TEST_CERT_PASSWORD "throw away")
add_custom_command(OUTPUT ${LIFTORN_TEST_CERT} ${LIFTORN_TEST_CERT_PEM}
    COMMAND ${CMAKE_SOURCE_DIR}/tools/make-test-cert.sh ${LIFTORN_KEY_DIR}/test-cert "${LIFTORN_TEST_CERT_PASSWORD}"
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make-test-cert.sh
    COMMENT "Making a throw-away code-signing certificate"
    VERBATIM)

# Throw-away keys are made once per build folder and never leave it.
foreach(key ${LIFTORN_KEY_DIR}/development.pem ${LIFTORN_TEST_KEY})
    add_custom_command(OUTPUT ${key}
        COMMAND Python3::Interpreter ${LIFTORN_RELEASE_TOOL} keygen --out ${key}
        COMMENT "Making a throw-away signing key")
endforeach()
add_custom_target(liftorn_test_key DEPENDS ${LIFTORN_TEST_KEY})

# The compiled-in public keys.
function(_liftorn_key_source key out)
    add_custom_command(OUTPUT ${out}
        COMMAND Python3::Interpreter ${LIFTORN_RELEASE_TOOL} public-key --key ${key} --out ${out}
        DEPENDS ${key} ${LIFTORN_RELEASE_TOOL}
        COMMENT "Taking the public key of ${key}")
endfunction()
_liftorn_key_source(${LIFTORN_RELEASE_KEY} ${CMAKE_BINARY_DIR}/generated/release_key.cpp)
_liftorn_key_source(${LIFTORN_TEST_KEY} ${CMAKE_BINARY_DIR}/generated/test_key.cpp)

# Where the packages land (targets are made once every program exists).
set(LIFTORN_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
set(LIFTORN_TEST_PACKAGE_DIR ${CMAKE_BINARY_DIR}/test-packages)
set(LIFTORN_SETUP_NAME vantorel-liftorn-${LIFTORN_VERSION}-setup.exe)
set(LIFTORN_PORTABLE_NAME vantorel-liftorn-${LIFTORN_VERSION}-portable.zip)
set(LIFTORN_NEXT_SETUP_NAME vantorel-liftorn-${LIFTORN_NEXT_VERSION}-setup.exe)

# The installer's welcome and finish pages show the program's icon on the
# skin's dark grey.
find_program(LIFTORN_CONVERT convert REQUIRED)
set(LIFTORN_WELCOME_BITMAP ${CMAKE_BINARY_DIR}/generated/installer-welcome.bmp)
add_custom_command(OUTPUT ${LIFTORN_WELCOME_BITMAP}
    COMMAND ${LIFTORN_CONVERT} -size 164x314 "gradient:#2a3038-#13161b"
            "(" ${LIFTORN_ICON_DIR}/liftorn.ico[2] -filter Lanczos -resize 96x96 ")"
            -gravity north -geometry +0+72 -composite
            -fill "#12b4a4" -draw "rectangle 52,190 112,191" -type TrueColor BMP3:${LIFTORN_WELCOME_BITMAP}
    DEPENDS ${LIFTORN_ICON_DIR}/liftorn.ico
    COMMENT "Drawing the installer's welcome picture"
    VERBATIM)

# The skin's files by name, for the installer: it installs exactly these,
# and its uninstaller removes exactly these, then their folders when empty
# (a folder the user chose may already have had a "skin" folder of its own).
file(GLOB_RECURSE _skin_relative CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/skin ${CMAKE_SOURCE_DIR}/skin/*)
list(SORT _skin_relative)
set(_skin_install "!macro InstallSkinFiles\n")
set(_skin_remove "!macro RemoveSkinFiles\n")
set(_skin_folders)
set(_skin_last_folder "-")
foreach(relative ${_skin_relative})
    string(REPLACE "/" "\\" windows_path "${relative}")
    get_filename_component(folder "${relative}" DIRECTORY)
    if(NOT folder STREQUAL _skin_last_folder)
        string(REPLACE "/" "\\" windows_folder "${folder}")
        if(folder STREQUAL "")
            string(APPEND _skin_install "  SetOutPath \"$INSTDIR\\skin\"\n")
        else()
            string(APPEND _skin_install "  SetOutPath \"$INSTDIR\\skin\\${windows_folder}\"\n")
            # A scaled set's folders sit inside one of their own ("150\buttons").
            set(parent "${folder}")
            while(NOT parent STREQUAL "")
                string(REPLACE "/" "\\" windows_parent "${parent}")
                list(APPEND _skin_folders "${windows_parent}")
                get_filename_component(parent "${parent}" DIRECTORY)
            endwhile()
        endif()
        set(_skin_last_folder "${folder}")
    endif()
    string(APPEND _skin_install "  File \"\${STAGE}\\skin\\${windows_path}\"\n")
    string(APPEND _skin_remove "  Delete \"$INSTDIR\\skin\\${windows_path}\"\n")
endforeach()
# Deepest folders first.
list(REMOVE_DUPLICATES _skin_folders)
list(SORT _skin_folders)
list(REVERSE _skin_folders)
foreach(folder ${_skin_folders})
    string(APPEND _skin_remove "  RMDir \"$INSTDIR\\skin\\${folder}\"\n")
endforeach()
string(APPEND _skin_install "!macroend\n")
string(APPEND _skin_remove "  RMDir \"$INSTDIR\\skin\"\n!macroend\n")
set(LIFTORN_SKIN_FILES_NSH ${CMAKE_BINARY_DIR}/generated/skin_files.nsh)
file(CONFIGURE OUTPUT ${LIFTORN_SKIN_FILES_NSH} CONTENT "${_skin_install}${_skin_remove}" @ONLY)

# liftorn_package(<target> <folder> <version> <program target> <updater target> [ZIP]
#                 [SIGN <certificate> [PASSWORD <password>]])
# Stages the package's files in <folder>/stage and builds the installer
# (and the portable zip) from them. With SIGN the staged executables are
# signed before anything packs them, the uninstaller before the installer
# packs it, and the installer last; PASSWORD (throw-away certificates only)
# stands in for SIGNING_CERT_PASSWORD.
function(liftorn_package name folder version program updater)
    cmake_parse_arguments(package "ZIP" "SIGN;PASSWORD" "" ${ARGN})
    set(stage ${folder}/stage)
    set(sign_stage)
    set(sign_define)
    set(sign_depends)
    if(package_SIGN)
        # One command that signs the files it is given, for the build and
        # for makensis (which runs it on the uninstaller and the installer).
        set(signer ${folder}/sign.sh)
        set(password_line "")
        if(DEFINED package_PASSWORD)
            set(password_line "export SIGNING_CERT_PASSWORD='${package_PASSWORD}'\n")
        endif()
        file(WRITE ${signer} "#!/bin/sh\n${password_line}exec '${CMAKE_SOURCE_DIR}/scripts/sign-file.sh' '${package_SIGN}' \"$@\"\n")
        set(sign_stage COMMAND sh ${signer} ${stage}/liftorn.exe ${stage}/iupdater.exe)
        set(sign_define "-DSIGN=sh '${signer}'")
        set(sign_depends ${package_SIGN} ${CMAKE_SOURCE_DIR}/scripts/sign-file.sh)
    endif()
    # The window-grab helper, once the capture feature builds it.
    set(helper_copy)
    set(helper_target)
    foreach(candidate vlt_helper vlt-helper)
        if(TARGET ${candidate})
            set(helper_target ${candidate})
            set(helper_copy COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${candidate}> ${stage}/vlt-helper.exe)
            if(package_SIGN)
                list(APPEND sign_stage ${stage}/vlt-helper.exe)
            endif()
        endif()
    endforeach()
    file(GLOB_RECURSE skin_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/skin/*.png)
    add_custom_command(OUTPUT ${folder}/stage.stamp
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${program}> ${stage}/liftorn.exe
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${updater}> ${stage}/iupdater.exe
        ${helper_copy}
        ${sign_stage}
        COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/skin ${stage}/skin
        COMMAND ${CMAKE_COMMAND} -E touch ${folder}/stage.stamp
        DEPENDS ${program} ${updater} ${helper_target} ${skin_files} ${sign_depends}
        COMMENT "Staging the ${version} package in ${folder}")
    set(setup ${folder}/vantorel-liftorn-${version}-setup.exe)
    add_custom_command(OUTPUT ${setup}
        COMMAND ${LIFTORN_MAKENSIS} -V2 -DVERSION=${version} -DVERSION_QUAD=${version}.0 -DSTAGE=${stage}
                -DICON=${LIFTORN_ICON_DIR}/liftorn.ico -DWELCOME=${LIFTORN_WELCOME_BITMAP} -DOUTFILE=${setup}
                -DSKIN_FILES=${LIFTORN_SKIN_FILES_NSH} ${sign_define} ${CMAKE_SOURCE_DIR}/res/setup.nsi
        DEPENDS ${folder}/stage.stamp ${CMAKE_SOURCE_DIR}/res/setup.nsi ${LIFTORN_ICON_DIR}/liftorn.ico
                ${LIFTORN_WELCOME_BITMAP} ${LIFTORN_SKIN_FILES_NSH}
        COMMENT "Building the installer ${setup}"
        VERBATIM)
    set(outputs ${setup})
    if(package_ZIP)
        set(zip ${folder}/vantorel-liftorn-${version}-portable.zip)
        add_custom_command(OUTPUT ${zip}
            COMMAND Python3::Interpreter ${LIFTORN_RELEASE_TOOL} zip --stage ${stage} --top "vantorel liftorn"
                    --out ${zip}
            DEPENDS ${folder}/stage.stamp ${LIFTORN_RELEASE_TOOL}
            COMMENT "Packing ${zip}")
        list(APPEND outputs ${zip})
    endif()
    add_custom_target(${name} DEPENDS ${outputs})
    add_dependencies(${name} liftorn_icons)
endfunction()

# Run once every directory is read, when the programs exist as targets.
function(_liftorn_define_shipping)
    foreach(kind release test)
        set(name iupdater)
        if(kind STREQUAL "test")
            set(name iupdater-test)
        endif()
        add_executable(${name} WIN32 ${CMAKE_SOURCE_DIR}/src/updater/updater_main.cpp
                       ${CMAKE_SOURCE_DIR}/res/updater.rc ${CMAKE_BINARY_DIR}/generated/${kind}_key.cpp)
        target_link_libraries(${name} PRIVATE liftorn_updater)
        target_link_options(${name} PRIVATE -static -municode)
        # Not beside the build's liftorn.exe: a development run has no
        # updater to start, as the update check's tests expect.
        set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/updater)
        set_source_files_properties(${CMAKE_SOURCE_DIR}/res/updater.rc PROPERTIES
            OBJECT_DEPENDS "${LIFTORN_ICON_DIR}/liftorn.ico;${LIFTORN_VERSION_DIR}/updater.manifest")
        add_dependencies(${name} liftorn_icons)
    endforeach()
    # The program of the tests' newer release: the same code with the next
    # version's texts and resources.
    add_executable(liftorn-next WIN32 ${CMAKE_SOURCE_DIR}/src/app/main.cpp ${LIFTORN_RESOURCE_SCRIPT}
                   ${LIFTORN_NEXT_VERSION_DIR}/product_version.cpp)
    target_include_directories(liftorn-next BEFORE PRIVATE ${LIFTORN_NEXT_VERSION_DIR})
    target_link_libraries(liftorn-next PRIVATE liftorn_app)
    target_link_options(liftorn-next PRIVATE -static -municode)
    add_dependencies(liftorn-next liftorn_icons)

    set(release_signing)
    if(LIFTORN_SIGNING_CERT)
        set(release_signing SIGN ${LIFTORN_SIGNING_CERT})
    endif()
    liftorn_package(package ${LIFTORN_PACKAGE_DIR} ${LIFTORN_VERSION} liftorn iupdater ZIP ${release_signing})
    # The release package as a signed one would be, with the throw-away
    # certificate (the signing test checks every file of it).
    liftorn_package(test_package_signed ${LIFTORN_TEST_PACKAGE_DIR}/signed ${LIFTORN_VERSION} liftorn iupdater
                    ZIP SIGN ${LIFTORN_TEST_CERT} PASSWORD ${LIFTORN_TEST_CERT_PASSWORD})
    liftorn_package(test_package_current ${LIFTORN_TEST_PACKAGE_DIR}/current ${LIFTORN_VERSION}
                    liftorn iupdater-test)
    liftorn_package(test_package_next ${LIFTORN_TEST_PACKAGE_DIR}/next ${LIFTORN_NEXT_VERSION}
                    liftorn-next iupdater-test)
endfunction()
cmake_language(DEFER CALL _liftorn_define_shipping)
