"""ParaView reader plugin for Vortimar cases: File > Open on a case's inputs.in (in a script
the FileName may also be the case folder).

Load it with Tools > Manage Plugins, `paraview --plugins=.../vortimar_reader.py`, or, in a
script, LoadPlugin(). Where ParaView's Python plugin support fails to import on Python 3.11
(Debian 12's ParaView 5.11), start ParaView with vortimar_startup.py next to this file.

The output is a multiblock data set with one block per part, named after the part, at the
step at or before the time ParaView asks for. Properties: "Moving Liner" (the liner's bottom
ring follows the piston), "Apply Motion" (moved or as-read coordinates) and "Parts" (which
parts to read). In a parallel run every rank opens the case and fills its share of the parts.
The time values are the case's times in seconds; where those are not finite or not
increasing, its crank angles or else the step numbers, as the export's .pvd has them, and
the output window says so once.
"""
import os
import runpy
import sys

from paraview.util.vtkAlgorithm import VTKPythonAlgorithmBase, smdomain, smhint, smproperty, smproxy
from vtkmodules.vtkCommonCore import vtkDataArraySelection, vtkOutputWindow
from vtkmodules.vtkCommonDataModel import vtkDataObject, vtkMultiBlockDataSet
from vtkmodules.vtkCommonExecutionModel import vtkAlgorithm, vtkStreamingDemandDrivenPipeline

# In a source tree the package is in python/ next to this folder, and the case library in
# build/ (unless VORTIMAR_LIBRARY names it). An installed copy has _installed.py beside it,
# written at installation, with the installed package's folder relative to its own; the
# installed package finds the installed library itself.
_HERE = os.path.dirname(os.path.abspath(__file__))
_ROOT = os.path.dirname(_HERE)
_PYTHON_FOLDER = os.path.join(_ROOT, "python")
if not os.path.isdir(os.path.join(_PYTHON_FOLDER, "vortimar")) and os.path.isfile(os.path.join(_HERE, "_installed.py")):
    _PYTHON_FOLDER = os.path.normpath(os.path.join(
        _HERE, runpy.run_path(os.path.join(_HERE, "_installed.py"))["PYTHON_DIR_FROM_PLUGIN"]))
if os.path.isdir(os.path.join(_PYTHON_FOLDER, "vortimar")) and _PYTHON_FOLDER not in sys.path:
    sys.path.insert(0, _PYTHON_FOLDER)
for _library in ("libvortimar_case.so", "libvortimar_case.dll"):
    if not os.environ.get("VORTIMAR_LIBRARY") and os.path.isfile(os.path.join(_ROOT, "build", _library)):
        os.environ["VORTIMAR_LIBRARY"] = os.path.join(_ROOT, "build", _library)

paraview_plugin_name = "VortimarReader"
paraview_plugin_version = "1.0"


def _say(line):
    """One line in ParaView's output window (standard error in pvpython and pvbatch)."""
    vtkOutputWindow.GetInstance().DisplayWarningText("Vortimar reader: %s\n" % line)


@smproxy.reader(name="VortimarCaseReader", label="Vortimar Case Reader",
                file_description="Vortimar case (inputs.in)", filename_patterns="inputs.in")
class VortimarCaseReader(VTKPythonAlgorithmBase):
    def __init__(self):
        VTKPythonAlgorithmBase.__init__(self, nInputPorts=0, nOutputPorts=1, outputType="vtkMultiBlockDataSet")
        self._file_name = None
        self._moving_liner = False
        self._apply_motion = True
        self._clearance = False
        self._clearance_of = None   # (folder, moving liner) whose PointClearance is kept
        self._point_clearance = None  # that PointClearance, None where the check library is missing
        self._case = None
        self._opened = None         # (folder, moving liner) of the open case
        self._blocks = None         # PartBlocks of the open case
        self._times = None          # the time value of each step given to ParaView (time_values)
        self._failed = None         # (folder, moving liner) whose opening failed, to say it once
        self._parts = vtkDataArraySelection()
        self._parts.AddObserver("ModifiedEvent", lambda *args: self.Modified())

    # ---- properties ---------------------------------------------------------------

    @smproperty.stringvector(name="FileName", panel_visibility="never")
    @smdomain.filelist()
    @smhint.filechooser(extensions="in", file_description="Vortimar case (inputs.in)")
    def SetFileName(self, name):
        if name != self._file_name:
            self._file_name = name
            self.Modified()

    @smproperty.intvector(name="MovingLiner", label="Moving Liner", default_values=0)
    @smdomain.xml('<BooleanDomain name="bool"/>')
    def SetMovingLiner(self, value):
        if bool(value) != self._moving_liner:
            self._moving_liner = bool(value)
            self.Modified()

    @smproperty.intvector(name="ApplyMotion", label="Apply Motion", default_values=1)
    @smdomain.xml('<BooleanDomain name="bool"/>')
    def SetApplyMotion(self, value):
        if bool(value) != self._apply_motion:
            self._apply_motion = bool(value)
            self.Modified()

    @smproperty.intvector(name="Clearance", label="Clearance", default_values=0)
    @smdomain.xml('<BooleanDomain name="bool"/>')
    def SetClearance(self, value):
        if bool(value) != self._clearance:
            self._clearance = bool(value)
            self.Modified()

    @smproperty.dataarrayselection(name="Parts")
    def GetPartSelection(self):
        return self._parts

    @smproperty.doublevector(name="TimestepValues", information_only="1", si_class="vtkSITimeStepsProperty")
    def GetTimestepValues(self):
        return [float(t) for t in self._times] if self._open() is not None else None

    # ---- the open case --------------------------------------------------------------

    def _open(self):
        """Opens the case of the file name (again when the file or the liner choice changed).
        Returns the open case, or None after saying in one line per message why not."""
        if not self._file_name:
            return None
        from vortimar import NotACase, case_folder, open_case
        from vortimar.notes import case_notes, message_counts, note_text
        from vortimar.vtk_parts import PartBlocks, time_values
        try:
            folder = case_folder(self._file_name)
        except NotACase as error:
            key = (self._file_name, self._moving_liner)
            if self._failed != key:
                _say(str(error))
            self._failed = key
            self._close()
            return None
        key = (folder, self._moving_liner)
        if self._case is not None and self._opened == key:
            return self._case
        self._close()
        try:
            case = open_case(folder, moving_liner=self._moving_liner)
        except Exception as error:      # a damaged case must not take ParaView down
            if self._failed != key:
                for line, _ in message_counts([error] + list(getattr(error, "messages", None) or [])):
                    _say(line)
            self._failed = key
            return None
        for line, count in case_notes(case):
            _say(note_text(line, count))
        self._times, note = time_values(case.times, case.crank_angles)
        if note:
            _say("%s: %s" % (self._file_name, note))
        self._case, self._opened, self._failed = case, key, None
        self._blocks = PartBlocks(case, self._apply_motion)
        names = [part.name for part in case.parts]
        if sorted(names) != sorted(self._parts.GetArrayName(i) for i in range(self._parts.GetNumberOfArrays())):
            self._parts.RemoveAllArrays()
            for name in names:
                self._parts.AddArray(name)
        return case

    def _close(self):
        if self._point_clearance is not None:
            self._point_clearance.close()
        if self._case is not None:
            close = getattr(self._case, "close", None)
            if close is not None:
                close()
        self._case, self._opened, self._blocks, self._times = None, None, None, None
        self._clearance_of, self._point_clearance = None, None

    # ---- pipeline -------------------------------------------------------------------

    def RequestInformation(self, request, inInfoVec, outInfoVec):
        out = outInfoVec.GetInformationObject(0)
        out.Remove(vtkStreamingDemandDrivenPipeline.TIME_STEPS())
        out.Remove(vtkStreamingDemandDrivenPipeline.TIME_RANGE())
        out.Set(vtkAlgorithm.CAN_HANDLE_PIECE_REQUEST(), 1)
        if self._open() is not None and len(self._times) > 0:
            times = [float(t) for t in self._times]
            for t in times:
                out.Append(vtkStreamingDemandDrivenPipeline.TIME_STEPS(), t)
            out.Append(vtkStreamingDemandDrivenPipeline.TIME_RANGE(), times[0])
            out.Append(vtkStreamingDemandDrivenPipeline.TIME_RANGE(), times[-1])
        return 1

    def RequestData(self, request, inInfoVec, outInfoVec):
        from vortimar.vtk_parts import share_of_parts, step_at_or_before
        out_info = outInfoVec.GetInformationObject(0)
        output = vtkMultiBlockDataSet.GetData(out_info)
        case = self._open()
        if case is None or len(self._times) == 0:
            return 1
        step = 0
        if out_info.Has(vtkStreamingDemandDrivenPipeline.UPDATE_TIME_STEP()):
            step = step_at_or_before(self._times, out_info.Get(vtkStreamingDemandDrivenPipeline.UPDATE_TIME_STEP()))
        piece = out_info.Get(vtkStreamingDemandDrivenPipeline.UPDATE_PIECE_NUMBER()) or 0
        pieces = out_info.Get(vtkStreamingDemandDrivenPipeline.UPDATE_NUMBER_OF_PIECES()) or 1
        parts = [part for part in case.parts if self._parts.ArrayIsEnabled(part.name)]
        self._blocks.apply_motion = self._apply_motion
        if self._clearance and self._clearance_of != self._opened:
            from vortimar.check import point_clearance
            self._point_clearance = point_clearance(case, lambda line: _say("%s: %s" % (self._file_name, line)))
            self._clearance_of = self._opened
        self._blocks.clearance = self._point_clearance if self._clearance else None
        try:
            blocks = self._blocks.step_blocks(parts, step, share_of_parts(parts, piece, pieces))
        except Exception as error:
            _say("%s, step %d: %s" % (self._file_name, step, error))
            return 1
        output.ShallowCopy(blocks)
        output.GetInformation().Set(vtkDataObject.DATA_TIME_STEP(), float(self._times[step]))
        return 1
