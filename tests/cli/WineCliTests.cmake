# The command-line tests of the Windows build, run under Wine: the same inputs and the same
# reviewed KML files, byte for byte.
include(${CMAKE_CURRENT_LIST_DIR}/CliTests.cmake)

# Not run there:
# - the shell scripts' cases, which need named pipes, symbolic links, devices, other users,
#   POSIX signals and ulimit;
# - wedges of true shape (--metres), whose coordinate on the axis of a sector pointing east
#   is the rounding residue of cos(90°), -1.1013E-18, which the C libraries of Windows and
#   Linux compute differently in its last digits.
set_tests_properties(
    cli.inputs.fifo cli.inputs.pipe cli.inputs.devices cli.inputs.links
    cli.outputs.refused cli.outputs.paths cli.outputs.signals cli.outputs.fsize
    cli.bs.beamwidth-metres
    PROPERTIES DISABLED TRUE)
