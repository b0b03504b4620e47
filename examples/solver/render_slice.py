"""Renders a slice through the middle of a cellplot data set to a PNG: the
cells cut by the plane z = middle, coloured by a cell array (Density unless
told), with the cell edges drawn so that the refinement shows.

    /usr/bin/python3 render_slice.py MASTER.pvtu PICTURE.png [ARRAY] [SIZE]

Renders off screen; VTK's X11 build needs a display, so run it under
xvfb-run where there is none.
"""
import sys

import vtk


def slice_through_middle(master, array):
    reader = vtk.vtkXMLPUnstructuredGridReader()
    reader.SetFileName(master)
    reader.Update()
    grid = reader.GetOutput()
    if grid.GetNumberOfCells() == 0:
        raise SystemExit(f"render_slice: {master}: no cells")
    if grid.GetCellData().GetArray(array) is None:
        raise SystemExit(f"render_slice: {master}: no cell array {array}")
    x0, x1, y0, y1, z0, z1 = grid.GetBounds()
    # Cell faces of an octree mesh lie on the middle plane; a plane a small
    # fraction of the extent above it cuts through cells instead of along
    # their faces, and every cut cell shows as one polygon.
    plane = vtk.vtkPlane()
    plane.SetOrigin(0.5 * (x0 + x1), 0.5 * (y0 + y1), 0.5 * (z0 + z1) + 1e-7 * (z1 - z0))
    plane.SetNormal(0, 0, 1)
    cutter = vtk.vtkCutter()
    cutter.SetInputData(grid)
    cutter.SetCutFunction(plane)
    cutter.GenerateTrianglesOff()
    cutter.Update()
    return cutter.GetOutput(), grid.GetCellData().GetArray(array).GetRange()


def render(cut, value_range, array, picture, size):
    lut = vtk.vtkLookupTable()
    lut.SetHueRange(0.667, 0.0)
    lut.SetNumberOfTableValues(256)
    lut.Build()

    mapper = vtk.vtkPolyDataMapper()
    mapper.SetInputData(cut)
    mapper.SetScalarModeToUseCellFieldData()
    mapper.SelectColorArray(array)
    mapper.SetScalarRange(value_range)
    mapper.SetLookupTable(lut)
    mapper.ScalarVisibilityOn()

    actor = vtk.vtkActor()
    actor.SetMapper(mapper)
    actor.GetProperty().LightingOff()

    # The cell edges as lines of their own, lifted a little towards the
    # camera so that no face hides them.
    edges = vtk.vtkExtractEdges()
    edges.SetInputData(cut)
    edge_mapper = vtk.vtkPolyDataMapper()
    edge_mapper.SetInputConnection(edges.GetOutputPort())
    edge_mapper.ScalarVisibilityOff()
    edge_actor = vtk.vtkActor()
    edge_actor.SetMapper(edge_mapper)
    b = cut.GetBounds()
    edge_actor.SetPosition(0, 0, 1e-3 * (b[1] - b[0]))
    edge_prop = edge_actor.GetProperty()
    edge_prop.SetColor(0.15, 0.15, 0.15)
    edge_prop.SetLineWidth(1.0)
    edge_prop.LightingOff()

    bar = vtk.vtkScalarBarActor()
    bar.SetLookupTable(lut)
    bar.SetTitle(array)
    bar.SetNumberOfLabels(5)
    bar.SetWidth(0.1)
    bar.SetHeight(0.7)
    bar.SetPosition(0.87, 0.15)
    for text in (bar.GetTitleTextProperty(), bar.GetLabelTextProperty()):
        text.SetColor(0, 0, 0)
        text.ItalicOff()
        text.ShadowOff()
        text.BoldOff()

    renderer = vtk.vtkRenderer()
    renderer.SetBackground(1, 1, 1)
    renderer.AddActor(actor)
    renderer.AddActor(edge_actor)
    renderer.AddActor2D(bar)
    renderer.ResetCamera()
    camera = renderer.GetActiveCamera()
    camera.ParallelProjectionOn()
    # Leave room on the right for the colour bar.
    camera.SetParallelScale(0.53 * (b[3] - b[2]))
    fx, fy, fz = camera.GetFocalPoint()
    shift = 0.09 * (b[1] - b[0])
    camera.SetFocalPoint(fx + shift, fy, fz)
    px, py, pz = camera.GetPosition()
    camera.SetPosition(px + shift, py, pz)

    window = vtk.vtkRenderWindow()
    window.SetOffScreenRendering(1)
    window.SetMultiSamples(0)
    window.SetSize(int(size * 1.2), size)
    window.AddRenderer(renderer)
    window.Render()

    image = vtk.vtkWindowToImageFilter()
    image.SetInput(window)
    image.Update()
    writer = vtk.vtkPNGWriter()
    writer.SetFileName(picture)
    writer.SetInputConnection(image.GetOutputPort())
    writer.Write()


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    master, picture = sys.argv[1], sys.argv[2]
    array = sys.argv[3] if len(sys.argv) > 3 else "Density"
    size = int(sys.argv[4]) if len(sys.argv) > 4 else 800
    cut, value_range = slice_through_middle(master, array)
    render(cut, value_range, array, picture, size)


if __name__ == "__main__":
    main()
