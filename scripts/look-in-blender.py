# Imports a .glb written by strata-export into Blender and renders it from above, with the faces'
# back sides hidden as the 3D view hides them, to compare the two pictures by eye:
#   strata-export -o /tmp/demo.glb demo.dm2
#   xvfb-run -a blender -b --python scripts/look-in-blender.py -- /tmp/demo.glb /tmp/blender.png
import sys

import numpy

# Debian's Blender 3.4 importer still names numpy.bool, which newer numpy dropped.
if not hasattr(numpy, "bool"):
    numpy.bool = bool

import bpy
import mathutils

source, picture = sys.argv[sys.argv.index("--") + 1:][:2]
bpy.ops.wm.read_factory_settings(use_empty=True)
bpy.ops.import_scene.gltf(filepath=source)
meshes = [o for o in bpy.data.objects if o.type == "MESH"]
print("rooms", len([o for o in bpy.data.objects if o.name.startswith("room ")]), "faces",
      sum(len(o.data.polygons) for o in meshes), "materials", len(bpy.data.materials), "images",
      len(bpy.data.images), "lights", len([o for o in bpy.data.objects if o.type == "LIGHT"]))

corners = [o.matrix_world @ mathutils.Vector(c) for o in meshes for c in o.bound_box]
centre = sum(corners, mathutils.Vector()) / len(corners)
camera = bpy.data.objects.new("look", bpy.data.cameras.new("look"))
bpy.context.scene.collection.objects.link(camera)
camera.location = centre + mathutils.Vector((6, -9, 11))
camera.rotation_euler = (centre - camera.location).to_track_quat("-Z", "Y").to_euler()
camera.data.lens = 24
scene = bpy.context.scene
scene.camera = camera
scene.render.engine = "BLENDER_WORKBENCH"
scene.display.shading.light = "FLAT"
scene.display.shading.color_type = "TEXTURE"
scene.display.shading.show_backface_culling = True
scene.render.resolution_x, scene.render.resolution_y = 960, 800
scene.render.filepath = picture
bpy.ops.render.render(write_still=True)
